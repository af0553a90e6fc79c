#include "link/port_names.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "tests/support/map_settings_store.h"

namespace tovrel {
namespace {

// COMn is the environment's TOVREL_COMn, else the stored [Ports] COMn, else /dev/ttyS(n-1).
TEST(PortNames, EnvironmentThenStoreThenOnBoardPort) {
    testing::MapSettingsStore store;
    EXPECT_EQ(PortDevicePath(1, store), "/dev/ttyS0");
    EXPECT_EQ(PortDevicePath(32, store), "/dev/ttyS31");
    store.Save("Tovrel", "Ports", "COM3", "/dev/ttyUSB0");
    EXPECT_EQ(PortDevicePath(3, store), "/dev/ttyUSB0");
    setenv("TOVREL_COM3", "/dev/pts/7", 1);
    EXPECT_EQ(PortDevicePath(3, store), "/dev/pts/7");
    setenv("TOVREL_COM3", "", 1);  // set but empty counts as unset
    EXPECT_EQ(PortDevicePath(3, store), "/dev/ttyUSB0");
    unsetenv("TOVREL_COM3");
}

}  // namespace
}  // namespace tovrel
