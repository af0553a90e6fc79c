#include "link/qt_serial_port.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>

#include "link/link.h"
#include "tests/link/line_speed_probe.h"
#include "tests/support/fake_host.h"

namespace tovrel {
namespace {

using Bytes = std::vector<std::uint8_t>;

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
    // What the port sent, collected until the line stays quiet for a moment.
    Bytes Received() const {
        Bytes out(512);
        pollfd p{m_master, POLLIN, 0};
        std::size_t got = 0;
        while (poll(&p, 1, 200) > 0 && got < out.size()) {
            const ssize_t n = read(m_master, out.data() + got, out.size() - got);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        out.resize(got);
        return out;
    }
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
    QtSerialPort port;
};

class CustomRate : public QtSerialPortTest, public ::testing::WithParamInterface<int> {};

TEST_P(CustomRate, IsAppliedExactlyToTheLine) {
    ASSERT_FALSE(port.Open(m_path, 115200));
    ASSERT_FALSE(port.Open(m_path, GetParam()));  // reopening applies the new rate
    EXPECT_EQ(testing::LineSpeed(m_master), GetParam());
}

INSTANTIATE_TEST_SUITE_P(QtSerialPort, CustomRate, ::testing::Values(9599, 14399, 16457, 28, 9600));

TEST_F(QtSerialPortTest, PassesEveryByteUnchangedBothWays) {
    ASSERT_FALSE(port.Open(m_path, 9600));
    // Line ends, interrupt and flow-control characters are plain data on this line.
    const Bytes message{0x07, 0x0E, 0x0A, 0x0D, 0x03, 0x11, 0x13, 0x00, 0xFF, 0x7F};
    port.Write(message);
    EXPECT_EQ(Received(), message);

    ASSERT_EQ(write(m_master, message.data(), 5), 5);
    std::uint8_t buffer[261] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Read(buffer, 3, 10000), 3u);
    // The read ended when its count arrived, not at its 10 s time-out.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(Bytes(buffer, buffer + 3), Bytes(message.begin(), message.begin() + 3));
    EXPECT_EQ(port.Read(buffer, 25, 50), 2u);  // a short reply after its time-out
    EXPECT_EQ(buffer[1], 0x03);
    EXPECT_EQ(port.Read(buffer, 1, 20), 0u);
}

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
