#include "link/qt_serial_port.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>

#include "link/link.h"
#include "link/port_names.h"
#include "tests/support/fake_host.h"
#include "tests/support/map_settings_store.h"

namespace tovrel {
namespace testing {
std::int64_t LineSpeed(int fd);  // in line_speed_probe.cpp
}  // namespace testing
namespace {

// The environment comes first, then the stored path, then the on-board port from ttyS0.
TEST(PortNames, EnvironmentThenStoreThenOnBoardPort) {
    testing::MapSettingsStore store;
    store.Save("Tovrel", "Ports", "COM3", "/dev/ttyUSB0");
    EXPECT_EQ(PortDevicePath(1, store), "/dev/ttyS0");
    setenv("TOVREL_COM3", "", 1);  // set but empty counts as unset
    EXPECT_EQ(PortDevicePath(3, store), "/dev/ttyUSB0");
    setenv("TOVREL_COM3", "/dev/pts/7", 1);
    EXPECT_EQ(PortDevicePath(3, store), "/dev/pts/7");
    unsetenv("TOVREL_COM3");
}

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

TEST_F(QtSerialPortTest, PortHeldByAnotherProgramShowsTheOpenError) {
    int toParent[2], toChild[2];
    ASSERT_EQ(pipe(toParent) | pipe(toChild), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QtSerialPort holder;
        const char opened = holder.Open(m_path, 9600) ? 'n' : 'y';
        char done;
        if (write(toParent[1], &opened, 1) == 1 && read(toChild[0], &done, 1) == 1) holder.Close();
        _exit(0);
    }
    char opened = 0;
    ASSERT_EQ(read(toParent[0], &opened, 1), 1);
    ASSERT_EQ(opened, 'y');

    Settings settings;
    LoadDefaultData(settings);
    testing::FakeHost host;
    Link link{settings, port, host, [this](int) { return m_path; }, [] { return ""; }};
    EXPECT_FALSE(OpenCommPort(link));
    EXPECT_EQ(
        host.messages,
        (std::vector<testing::ShownMessage>{{"Error encountered while Opening Port", "Error"}}));

    EXPECT_EQ(write(toChild[1], "x", 1), 1);
    waitpid(child, nullptr, 0);
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) close(fd);
    EXPECT_TRUE(OpenCommPort(link));  // released by the other program: ours now
}

}  // namespace
}  // namespace tovrel
