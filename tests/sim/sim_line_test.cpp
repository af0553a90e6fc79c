// The simulator as a separate process, driven with raw bytes through its terminal: what a real
// chip does and the program's own suites cannot see, because a simulator that got it wrong
// would let a faulty program pass (the rate it hears, flash that only clears bits, the loader
// gone once user code runs, boards that come and go), and the trace those suites read.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <thread>

#include "testbed/processes.h"
#include "testbed/raw_line.h"
#include "testbed/temp_dir.h"
#include "tests/sim/frames.h"

namespace tovrel::testing {
namespace {

using testbed::RawLine;

const Bytes kId = Text(kDefaultId);
constexpr int kQuietMs = 300;  // long enough for a reply that will not come

Bytes Verify(std::uint8_t page) { return Frame('V', {page}); }
Bytes Write(std::uint8_t address, std::uint8_t value) { return Frame('W', {0, 0, address, value}); }

class SimLine : public ::testing::Test {
  protected:
    // Starts the simulator afresh with the trace and state files and opens the line at 9600.
    // A simulator still running is stopped first.
    void Start(std::vector<std::string> options = {}) {
        m_line.reset();
        m_sim.reset();
        options.insert(options.end(), {"--trace", m_trace, "--state", m_state});
        m_sim = std::make_unique<testbed::SimProcess>(testbed::ProgramFolder() + "/pellicon-sim",
                                                      options);
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
        m_line = std::make_unique<RawLine>(m_sim->Path());
    }

    // The trace as "RX 070E0143BC C 9600" lines. It is written as the simulator works, so
    // this waits until it has at least count entries.
    std::vector<std::string> TraceLines(std::size_t count) {
        std::vector<testbed::TraceEntry> trace = testbed::ReadTrace(m_trace);
        for (int i = 0; trace.size() < count && i < RawLine::kReplyTimeoutMs / 2; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            trace = testbed::ReadTrace(m_trace);
        }
        std::vector<std::string> lines;
        for (const testbed::TraceEntry& e : trace) {
            lines.push_back((e.received ? "RX " : "TX ") + Hex(e.bytes) + " " + e.kind + " " +
                            std::to_string(e.baud));
        }
        return lines;
    }

    testbed::TempDir m_dir;
    const std::string m_trace = m_dir.Path("trace"), m_state = m_dir.Path("state");
    std::unique_ptr<testbed::SimProcess> m_sim;
    std::unique_ptr<RawLine> m_line;
};

// 'B' 80 00 is acknowledged at the old 9600; the device then runs at fcore / 32 and
// understands a host within 3 % of that (9878 baud) but hears zero bytes from one beyond
// (9936 baud).
class ThreePercent : public SimLine, public ::testing::WithParamInterface<const char*> {};

TEST_P(ThreePercent, IsAsFarAsTheDeviceHearsAHostOff) {
    const bool within = std::string(GetParam()) == "316096";
    ASSERT_NO_FATAL_FAILURE(Start({"--fcore", GetParam(), "--start-baud", "9600"}));
    ASSERT_EQ(m_line->Exchange(Frame('B', {0x80, 0x00})), kAck);
    m_line->Write(kResetBytes);
    EXPECT_EQ(m_line->Read(kId.size(), within ? RawLine::kReplyTimeoutMs : kQuietMs),
              within ? kId : Bytes{});
}

INSTANTIATE_TEST_SUITE_P(SimLine, ThreePercent, ::testing::Values("316096", "317952"));

TEST_F(SimLine, GarblesTheAcknowledgementForAHostThatSwitchedTooEarly) {
    ASSERT_NO_FATAL_FAILURE(Start({"--delay-reply", "B:1:300"}));
    m_line->Write(Frame('B', {0x81, 0x20}));
    TraceLines(1);  // the rate is checked as bytes are taken in
    m_line->SetSpeed(115200);
    EXPECT_EQ(m_line->Read(1), Bytes{0x00});
}

// Writing only clears bits, so a download without an erase fails its verify; the memory
// outlives the simulator in its state file.
TEST_F(SimLine, ProgramsFlashLikeFlashAndKeepsItAcrossRuns) {
    ASSERT_NO_FATAL_FAILURE(Start());
    for (const Bytes& frame : {Write(0, 0x12), QuickFrame(2, Bytes(256, 0xA5)),
                               Frame('E', {0x00, 0x01, 0x2C, 0xAA, 0x55, 0x00, 0xFF}),
                               Frame('S', {0x04}), Frame('F', {0xFE})}) {
        ASSERT_EQ(m_line->Exchange(frame), kAck) << Hex(frame);
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(m_line->Exchange(Write(0, 0xF0)), kAck);  // the cell keeps 12 AND F0
    const Bytes page0 = m_line->Exchange(Verify(0), 257);
    EXPECT_EQ(Bytes(page0.begin(), page0.begin() + 2), (Bytes{0x10, 0xFF}));
    EXPECT_EQ(page0.back(), 0xEF);  // 10 + 255 * FF + EF is 0 mod 256
    EXPECT_EQ(m_line->Exchange(Verify(2), 257)[255], 0xA5);
    m_sim->Stop();
    const std::optional<testbed::SimState> state = testbed::ReadSimState(m_state);
    ASSERT_TRUE(state);
    EXPECT_EQ(Bytes(state->data.begin() + 1200, state->data.begin() + 1204),
              (Bytes{0xAA, 0x55, 0x00, 0xFF}));
    EXPECT_EQ(state->security, 0x04);
    EXPECT_EQ(state->bootload, 0xFE);
}

// An unfinished message is dropped after a quiet gap, and the trace shows it with the exact
// bytes both ways and the wire time.
TEST_F(SimLine, TracesTheExactBytesBothWaysAndTheWireTime) {
    ASSERT_NO_FATAL_FAILURE(Start({"--gap-ms", "20"}));
    m_line->Write({0x55});
    m_line->Exchange(kEraseCode);
    m_line->Write({0x07, 0x0E, 0x09, 0x57, 0x00});
    TraceLines(4);
    EXPECT_EQ(m_line->Exchange(kResetBytes, 25), kId);
    m_sim->Stop();
    EXPECT_EQ(TraceLines(6),
              (std::vector<std::string>{"RX 55 ? 9600", "RX 070E0143BC C 9600", "TX 06 C 9600",
                                        "RX 070E095700 ? 9600", "RX 215A00A6 ID 9600",
                                        "TX " + Hex(kId) + " ID 9600"}));
    // 15 bytes in and 26 out, ten bits each at 9600 baud.
    EXPECT_NE(m_dir.Read("trace").find("15 bytes received, 26 bytes sent, wire 0.042708 s"),
              std::string::npos)
        << m_dir.Read("trace");
}

// A 22.1184 MHz crystal starts the loader at 19200 baud, and 'B' 81 20 gives 230400.
TEST_F(SimLine, IgnoresTheLoaderOnceUserCodeRunsUntilPowerCycledWithThePinHeld) {
    ASSERT_NO_FATAL_FAILURE(Start({"--fcore", "22118400"}));
    m_line->SetSpeed(19200);
    ASSERT_EQ(m_line->Exchange(Frame('B', {0x81, 0x20})), kAck);
    m_line->SetSpeed(230400);
    EXPECT_EQ(m_line->Exchange(Frame('U', {0x00, 0x00, 0x00})), kAck);
    m_line->Write(kResetBytes);
    EXPECT_EQ(TraceLines(5).back(), "RX 215A00A6 ID 230400");
    ASSERT_TRUE(m_sim->Signal(SIGUSR2));  // without the pin: user code again, at 19200
    m_line->SetSpeed(19200);
    m_line->Write(kResetBytes);
    EXPECT_EQ(TraceLines(6).back(), "RX 215A00A6 ID 19200");
    ASSERT_TRUE(m_sim->Signal(SIGUSR1));  // taken in before the bytes that follow
    EXPECT_EQ(m_line->Exchange(kResetBytes, 25), kId);
}

// No board at first, and a power cycle brings none; a board taken off answers nothing (an
// answer to either reset would come before the next 06); a new one reads back erased in
// every page the host may ask for.
TEST_F(SimLine, TakesBoardsOffAndPutsNewErasedOnesOn) {
    ASSERT_NO_FATAL_FAILURE(Start({"--no-board"}));
    ASSERT_TRUE(m_sim->Signal(SIGUSR1));
    m_line->Write(kResetBytes);
    TraceLines(1);
    ASSERT_TRUE(m_sim->Signal(SIGURG));
    ASSERT_EQ(m_line->Exchange(QuickFrame(247, Bytes(256, 0x12))), kAck);
    ASSERT_EQ(m_line->Exchange(Frame('E', {0, 0, 0, 1, 2, 3, 4})), kAck);
    ASSERT_TRUE(m_sim->Signal(SIGALRM));
    m_line->Write(kResetBytes);
    TraceLines(6);
    ASSERT_TRUE(m_sim->Signal(SIGURG));
    for (int page = 0; page < 248; ++page) {
        ASSERT_EQ(m_line->Exchange(Verify(static_cast<std::uint8_t>(page)), 257), ErasedPage());
    }
    m_sim->Stop();
    EXPECT_EQ(testbed::ReadSimState(m_state).value().data, Bytes(2560, 0xFF));
}

// The reset comes while the held-back 06 is due: its answer leaves with the old board.
TEST_F(SimLine, PutsANewBoardOnAfterTheNamedMessage) {
    ASSERT_NO_FATAL_FAILURE(Start({"--new-board-after", "W:1:0", "--delay-reply", "W:1:200"}));
    m_line->Write(Write(0, 0x11));
    EXPECT_EQ(m_line->Exchange(kResetBytes), kAck);
    EXPECT_EQ(m_line->Exchange(Verify(0), 257), ErasedPage());
}

}  // namespace
}  // namespace tovrel::testing
