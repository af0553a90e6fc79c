#include "link/qt_serial_port.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "link/link.h"
#include "tests/link/line_speed_probe.h"
#include "tests/support/fake_host.h"

namespace tovrel {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A pseudo-terminal whose slave end stands in for the serial device.
class Pty {
  public:
    Pty() {
        char name[256] = {};
        if (openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0) m_path = name;
    }
    ~Pty() {
        if (m_master >= 0) close(m_master);
        if (m_slave >= 0) close(m_slave);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& path() const { return m_path; }
    int master() const { return m_master; }

    void Send(const Bytes& bytes) const {
        ASSERT_EQ(write(m_master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Whatever the port sent, collected until the line stays quiet for a moment.
    Bytes Received() const {
        Bytes out;
        pollfd p{m_master, POLLIN, 0};
        std::uint8_t chunk[512];
        while (poll(&p, 1, 200) > 0) {
            const ssize_t n = read(m_master, chunk, sizeof chunk);
            if (n <= 0) break;
            out.insert(out.end(), chunk, chunk + n);
        }
        return out;
    }

  private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};

class QtSerialPortTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "link_tests";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
    }
    Pty pty;
    QtSerialPort port;
};

class CustomRate : public QtSerialPortTest, public ::testing::WithParamInterface<int> {};

TEST_P(CustomRate, IsAppliedExactlyToTheLine) {
    ASSERT_FALSE(port.Open(pty.path(), GetParam()));
    EXPECT_EQ(testing::LineSpeed(pty.master()), GetParam());
}

INSTANTIATE_TEST_SUITE_P(QtSerialPort, CustomRate,
                         ::testing::Values(9599, 14399, 16457, 1599, 28, 9600, 115200, 57600));

TEST_F(QtSerialPortTest, ReopeningAtAnotherRateChangesTheLine) {
    ASSERT_FALSE(port.Open(pty.path(), 115200));
    ASSERT_FALSE(port.Open(pty.path(), 9599));
    EXPECT_EQ(testing::LineSpeed(pty.master()), 9599);
}

TEST_F(QtSerialPortTest, SendsEveryByteUnchangedAsOneBlock) {
    ASSERT_FALSE(port.Open(pty.path(), 9600));
    // Line ends, interrupt and flow-control characters must all pass as plain data.
    const Bytes message{0x07, 0x0E, 0x0A, 0x0D, 0x03, 0x11, 0x13, 0x00, 0xFF, 0x7F};
    port.Write(message);
    EXPECT_EQ(pty.Received(), message);
}

TEST_F(QtSerialPortTest, ReadReturnsOnceTheCountHasArrived) {
    ASSERT_FALSE(port.Open(pty.path(), 9600));
    pty.Send({0x0A, 0x0D, 0x06, 0x11, 0x13});
    std::uint8_t buffer[261] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Read(buffer, 3, 10000), 3u);
    // Far below the 10 s time-out: the read did not sit out its time.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ((Bytes{buffer, buffer + 3}), (Bytes{0x0A, 0x0D, 0x06}));
    // The rest stays queued for the next read.
    EXPECT_EQ(port.Read(buffer, 25, 50), 2u);
    EXPECT_EQ((Bytes{buffer, buffer + 2}), (Bytes{0x11, 0x13}));
}

TEST_F(QtSerialPortTest, ShortReplyGivesWhatArrivedAfterTheTimeout) {
    ASSERT_FALSE(port.Open(pty.path(), 9600));
    pty.Send({'K', 'a', 'z'});
    std::uint8_t buffer[261] = {};
    EXPECT_EQ(port.Read(buffer, 25, 100), 3u);
    EXPECT_EQ(buffer[2], 'z');
    EXPECT_EQ(port.Read(buffer, 1, 20), 0u);
}

TEST_F(QtSerialPortTest, ClosedPortReadsNothingAndCloseTwiceIsHarmless) {
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(port.Read(buffer, 1, 10), 0u);
    ASSERT_FALSE(port.Open(pty.path(), 9600));
    port.Close();
    port.Close();
    port.Write(Bytes{1, 2, 3});
    EXPECT_EQ(port.Read(buffer, 1, 10), 0u);
}

TEST_F(QtSerialPortTest, MissingDeviceFailsToOpen) {
    EXPECT_TRUE(port.Open("/dev/tovrel-no-such-port", 9600));
    EXPECT_TRUE(port.Open(pty.path(), 0));
}

TEST_F(QtSerialPortTest, SecondOpenInTheSameProgramIsRefused) {
    ASSERT_FALSE(port.Open(pty.path(), 9600));
    QtSerialPort other;
    EXPECT_TRUE(other.Open(pty.path(), 9600));
    port.Close();
    EXPECT_FALSE(other.Open(pty.path(), 9600));
}

TEST_F(QtSerialPortTest, PortHeldByAnotherProgramShowsTheOpenError) {
    int ready[2];
    int release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QtSerialPort holder;
        const char opened = holder.Open(pty.path(), 9600) ? 'n' : 'y';
        (void)!write(ready[1], &opened, 1);
        char done;
        (void)!read(release[0], &done, 1);
        holder.Close();
        _exit(0);
    }
    char opened = 0;
    ASSERT_EQ(read(ready[0], &opened, 1), 1);
    ASSERT_EQ(opened, 'y');

    Settings settings;
    LoadDefaultData(settings);
    testing::FakeHost host;
    Link link{settings, port, host, [this](int) { return pty.path(); }, [] { return ""; }};
    EXPECT_FALSE(OpenCommPort(link));
    EXPECT_TRUE(settings.PortError);
    EXPECT_EQ(
        host.messages,
        (std::vector<testing::ShownMessage>{{"Error encountered while Opening Port", "Error"}}));

    (void)!write(release[1], "x", 1);
    int status = 0;
    waitpid(child, &status, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
    EXPECT_TRUE(OpenCommPort(link));
}

}  // namespace
}  // namespace tovrel
