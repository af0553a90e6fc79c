#include "link/port_names.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "tests/support/map_settings_store.h"

namespace tovrel {
namespace {

class PortNames : public ::testing::Test {
  protected:
    void TearDown() override { unsetenv("TOVREL_COM3"); }
    testing::MapSettingsStore store;
};

TEST_F(PortNames, CountFromTheFirstOnBoardPort) {
    EXPECT_EQ(PortDevicePath(1, store), "/dev/ttyS0");
    EXPECT_EQ(PortDevicePath(32, store), "/dev/ttyS31");
}

TEST_F(PortNames, StoredPathComesBeforeTheDefault) {
    store.Save("Tovrel", "Ports", "COM3", "/dev/ttyUSB0");
    EXPECT_EQ(PortDevicePath(3, store), "/dev/ttyUSB0");
    EXPECT_EQ(PortDevicePath(4, store), "/dev/ttyS3");
}

TEST_F(PortNames, EnvironmentComesFirst) {
    store.Save("Tovrel", "Ports", "COM3", "/dev/ttyUSB0");
    setenv("TOVREL_COM3", "/dev/pts/7", 1);
    EXPECT_EQ(PortDevicePath(3, store), "/dev/pts/7");
    setenv("TOVREL_COM3", "", 1);  // set but empty counts as unset
    EXPECT_EQ(PortDevicePath(3, store), "/dev/ttyUSB0");
}

}  // namespace
}  // namespace tovrel
