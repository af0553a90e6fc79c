#include "adapters/qt_serial_port.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QCoreApplication>

namespace tovrel {
namespace testing {
std::int64_t LineSpeed(int fd);  // in line_speed_probe.cpp
}  // namespace testing
namespace {

// The slave end of a pseudo-terminal stands in for the serial device.
class QtSerialPortTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "link_tests";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() == nullptr) static QCoreApplication app(argc, argv);
    }
    QtSerialPortTest() {
        char name[256] = {};
        if (openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0) m_path = name;
    }
    ~QtSerialPortTest() override {
        port.Close();
        close(m_master);
        close(m_slave);
    }
    int m_master = -1, m_slave = -1;
    std::string m_path;
    QtSerialPort port;
};

// Rates outside the classic table reach the line exactly, also when the port is reopened.
class CustomRate : public QtSerialPortTest, public ::testing::WithParamInterface<int> {};
TEST_P(CustomRate, IsAppliedExactlyToTheLine) {
    ASSERT_FALSE(port.Open(m_path, 115200));
    ASSERT_FALSE(port.Open(m_path, GetParam()));
    EXPECT_EQ(testing::LineSpeed(m_master), GetParam());
}
INSTANTIATE_TEST_SUITE_P(QtSerialPort, CustomRate, ::testing::Values(9599, 14399, 16457, 28));

}  // namespace
}  // namespace tovrel
