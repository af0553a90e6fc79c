// The simulator as a separate process, driven with raw bytes through its terminal.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "sim/flash_memory.h"
#include "tests/sim/raw_line.h"

namespace tovrel::testing {
namespace {

const Bytes kId = Text(kDefaultId);
const Bytes kSwitchTo115200{0x07, 0x0E, 0x03, 0x42, 0x81, 0x20, 0x1A};

Bytes Verify(std::uint8_t page) { return Frame('V', {page}); }
Bytes Write(std::uint8_t address, std::uint8_t value) { return Frame('W', {0, 0, address, value}); }
// The start of a verify reply: erased bytes up to offset 80 hex, which holds value.
Bytes ByteAt80(std::uint8_t value) {
    Bytes bytes(0x80, 0xFF);
    bytes.push_back(value);
    return bytes;
}

class SimLine : public ::testing::Test {
  protected:
    // Starts the simulator afresh with the trace and state files and opens the line at 9600
    // (through `open` when given). A simulator still running is stopped first.
    void Start(std::vector<std::string> options = {}, const std::string& open = "") {
        m_line.reset();
        m_sim.reset();
        options.insert(options.end(), {"--trace", m_trace, "--state", m_state});
        m_sim = std::make_unique<SimProcess>(options);
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
        m_line = std::make_unique<RawLine>(open.empty() ? m_sim->Path() : open);
    }

    TempDir m_dir;
    const std::string m_trace = m_dir.File("trace"), m_state = m_dir.File("state");
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<RawLine> m_line;
};

// One exchange: the reply must start with `reply` and be `size` bytes long in all
// (reply.size() when 0). An empty reply sends without waiting: a reply that was held
// back then shows up ahead of the next step's reply.
struct Step {
    Bytes send;
    Bytes reply;
    std::size_t size = 0;
};

struct ScriptCase {
    const char* name;
    std::vector<std::string> options;
    std::vector<Step> steps;
    bool endsItself = false;  // --exit-after, --hangup-after
    friend void PrintTo(const ScriptCase& c, std::ostream* os) { *os << c.name; }
};

class ScriptTest : public SimLine, public ::testing::WithParamInterface<ScriptCase> {};

// Every run goes through a --link, which is gone once the simulator has ended.
TEST_P(ScriptTest, GivesExactlyTheScriptedReplies) {
    const std::string link = m_dir.File("COM1");
    std::vector<std::string> options = GetParam().options;
    options.insert(options.end(), {"--link", link});
    ASSERT_NO_FATAL_FAILURE(Start(options, link));
    for (const Step& step : GetParam().steps) {
        const Bytes got = m_line->Exchange(step.send, std::max(step.size, step.reply.size()));
        ASSERT_EQ(got.size(), std::max(step.size, step.reply.size())) << Hex(step.send);
        EXPECT_EQ(Bytes(got.begin(), got.begin() + step.reply.size()), step.reply);
    }
    if (GetParam().endsItself) {
        ASSERT_TRUE(m_sim->WaitForExit(RawLine::kReplyTimeoutMs));
        EXPECT_TRUE(m_line->Exchange(kEraseCode).empty());
    } else {
        EXPECT_TRUE(m_line->Read(1, 50).empty()) << "bytes beyond the replies";
    }
    EXPECT_EQ(m_sim->Stop(), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(SimLine, ScriptTest, ::testing::Values(
    ScriptCase{"IdOption", {"--id", "Zerk8QA version 2.05"},
               {{kResetBytes, Text("Zerk8QA version 2.05     ")}}},
    ScriptCase{"Silent", {"--silent"}, {{kResetBytes, {}}, {kEraseCode, {}}}},
    ScriptCase{"ReplyByteRefusesTheNthOfACommand", {"--reply-byte", "W:2:15"},
               {{Write(0, 0x11), kAck}, {Write(1, 0x22), kNak}, {Write(2, 0x33), kAck},
                {Verify(0), {0x11, 0xFF, 0x33}, 257}}},
    ScriptCase{"ReplyByteOnEveryMessage", {"--reply-byte=ANY:*:00"},
               {{kResetBytes, {0x00}}, {kEraseCode, {0x00}}, {kEraseCode, {0x00}}}},
    ScriptCase{"DropReplyCountsItsOwnCommandAndStillWrites", {"--drop-reply", "W:2"},
               {{Write(0, 0x12), kAck}, {Frame('A'), kAck}, {Write(0, 0x34), {}},
                {kResetBytes, kId}, {Verify(0), {0x34}, 257}}},
    ScriptCase{"ShortReplies", {"--short-reply", "ID:1:10", "--short-reply", "V:1:100"},
               {{kResetBytes, Text("Kaz 8QA   ")}, {Verify(0), Bytes(100, 0xFF)},
                {kResetBytes, kId}, {Verify(0), {}, 257}}},
    ScriptCase{"CorruptVerifySpoilsTheFirstReadsOfOnePage", {"--corrupt-verify", "10:2"},
               {{Verify(9), ByteAt80(0xFF), 257}, {Verify(10), ByteAt80(0x00), 257},
                {Verify(10), ByteAt80(0x00), 257}, {Verify(10), ByteAt80(0xFF), 257}}},
    ScriptCase{"StrayBytesBeforeTheReply", {"--stray", "ID:1:55AA"},
               {{kResetBytes, Text("\x55\xAA" + kDefaultId)}}},
    ScriptCase{"ExitAfter", {"--exit-after", "C:2"}, {{kEraseCode, kAck}, {kEraseCode, kAck}},
               true},
    ScriptCase{"HangUpAfter", {"--hangup-after", "ANY:2"}, {{kResetBytes, kId}, {kEraseCode, kAck}},
               true},
    // 'B' is acknowledged at the old 9600; the device then understands a host within 3 % of
    // its new rate (9878 and 9936 baud here) and hears zero bytes from one beyond.
    ScriptCase{"RateJustWithinThreePercent", {"--fcore", "316096", "--start-baud", "9600"},
               {{Frame('B', {0x80, 0x00}), kAck}, {kResetBytes, kId}}},
    ScriptCase{"RateJustBeyondThreePercent", {"--fcore", "317952", "--start-baud", "9600"},
               {{Frame('B', {0x80, 0x00}), kAck}, {kResetBytes, {}}}},
    // The reset comes while the held-back 06 is due: its answer leaves with the old board.
    ScriptCase{"NewBoardAfter", {"--new-board-after", "W:1:0", "--delay-reply", "W:1:200"},
               {{Write(0, 0x11), {}}, {kResetBytes, kAck}, {Verify(0), ErasedPage()}}}),
    [](const auto& info) { return info.param.name; });
// clang-format on

// The host closes the port before a late reply (lost, as on a real port), then opens and
// closes it for every command.
TEST_F(SimLine, ServesAHostThatOpensAndClosesThePortAgainAndAgain) {
    ASSERT_NO_FATAL_FAILURE(Start({"--delay-reply", "ID:1:50"}));
    m_line->Write(kResetBytes);
    m_line.reset();
    TraceLines(m_trace, 2);
    for (int i = 0; i < 20; ++i) {
        RawLine line(m_sim->Path());
        ASSERT_EQ(line.Exchange(kEraseCode), kAck) << "open " << i;
    }
}

TEST_F(SimLine, KeepsTheFlashOfADownloadAcrossRuns) {
    ASSERT_NO_FATAL_FAILURE(Start());
    for (const Bytes& frame :
         {Bytes{0x07, 0x0E, 0x01, 0x41, 0xBE},
          Bytes{0x07, 0x0E, 0x05, 0x57, 0x00, 0x00, 0x00, 0x12, 0x92},
          QuickFrame(2, Bytes(256, 0xA5)), Frame('E', {0x00, 0x01, 0x2C, 0xAA, 0x55, 0x00, 0xFF}),
          Bytes{0x07, 0x0E, 0x02, 0x53, 0x04, 0xA7}, Bytes{0x07, 0x0E, 0x02, 0x46, 0xFE, 0xBA}}) {
        ASSERT_EQ(m_line->Exchange(frame), kAck);
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(m_line->Exchange(Write(0, 0xF0)), kAck);  // no erase: the cell keeps 12 AND F0
    const Bytes page0 = m_line->Exchange(Verify(0), 257);
    EXPECT_EQ(Bytes(page0.begin(), page0.begin() + 2), (Bytes{0x10, 0xFF}));
    EXPECT_EQ(page0.back(), 0xEF);  // 10 + 255 * FF + EF is 0 mod 256
    EXPECT_EQ(m_line->Exchange(Verify(2), 257)[255], 0xA5);
    m_sim->Stop();
    const std::optional<SimState> state = ReadSimState(m_state);
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
    TraceLines(m_trace, 4);
    EXPECT_EQ(m_line->Exchange(kResetBytes, 25), kId);
    m_sim->Stop();
    EXPECT_EQ(TraceLines(m_trace, 6),
              (std::vector<std::string>{"RX 55 ? 9600", "RX 070E0143BC C 9600", "TX 06 C 9600",
                                        "RX 070E095700 ? 9600", "RX 215A00A6 ID 9600",
                                        "TX " + Hex(kId) + " ID 9600"}));
    std::ifstream in(m_trace);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    // 15 bytes in and 26 out, ten bits each at 9600 baud.
    EXPECT_NE(text.find("15 bytes received, 26 bytes sent, wire 0.042708 s"), std::string::npos)
        << text;
}

TEST_F(SimLine, GarblesTheAcknowledgementForAHostThatSwitchedTooEarly) {
    ASSERT_NO_FATAL_FAILURE(Start({"--delay-reply", "B:1:300"}));
    m_line->Write(kSwitchTo115200);
    TraceLines(m_trace, 1);  // the rate is checked as bytes are taken in
    m_line->SetSpeed(B115200);
    EXPECT_EQ(m_line->Read(1), Bytes{0x00});
}

// A 22.1184 MHz crystal starts the loader at 19200 baud, and 'B' 81 20 gives 230400.
TEST_F(SimLine, IgnoresTheLoaderOnceUserCodeRunsUntilPowerCycledWithThePinHeld) {
    ASSERT_NO_FATAL_FAILURE(Start({"--fcore", "22118400"}));
    m_line->SetSpeed(B19200);
    ASSERT_EQ(m_line->Exchange(Frame('B', {0x81, 0x20})), kAck);
    m_line->SetSpeed(B230400);
    EXPECT_EQ(m_line->Exchange({0x07, 0x0E, 0x04, 0x55, 0x00, 0x00, 0x00, 0xA7}), kAck);
    m_line->Write(kResetBytes);
    EXPECT_EQ(TraceLines(m_trace, 5).back(), "RX 215A00A6 ID 230400");
    ASSERT_TRUE(m_sim->Signal(SIGUSR2));  // without the pin: user code again, at 19200
    m_line->SetSpeed(B19200);
    m_line->Write(kResetBytes);
    EXPECT_EQ(TraceLines(m_trace, 6).back(), "RX 215A00A6 ID 19200");
    ASSERT_TRUE(m_sim->Signal(SIGUSR1));  // taken in before the bytes that follow
    EXPECT_EQ(m_line->Exchange(kResetBytes, 25), kId);
}

// No board at first, and a power cycle brings none; a board taken off answers nothing (an
// answer to either reset would come before the next 06); a new one reads back erased in every
// page the host may ask for.
TEST_F(SimLine, TakesBoardsOffAndPutsNewErasedOnesOn) {
    ASSERT_NO_FATAL_FAILURE(Start({"--no-board"}));
    ASSERT_TRUE(m_sim->Signal(SIGUSR1));
    m_line->Write(kResetBytes);
    TraceLines(m_trace, 1);
    ASSERT_TRUE(m_sim->Signal(SIGURG));
    ASSERT_EQ(m_line->Exchange(QuickFrame(247, Bytes(256, 0x12))), kAck);
    ASSERT_EQ(m_line->Exchange(Frame('E', {0, 0, 0, 1, 2, 3, 4})), kAck);
    ASSERT_TRUE(m_sim->Signal(SIGALRM));
    m_line->Write(kResetBytes);
    TraceLines(m_trace, 6);
    ASSERT_TRUE(m_sim->Signal(SIGURG));
    for (int page = 0; page < 248; ++page) {
        ASSERT_EQ(m_line->Exchange(Verify(static_cast<std::uint8_t>(page)), 257), ErasedPage());
    }
    m_sim->Stop();
    EXPECT_EQ(ReadSimState(m_state).value().data, Bytes(2560, 0xFF));
}

TEST_F(SimLine, RefusesToStartOnABadOptionOrAStateFileOfAnotherDevice) {
    EXPECT_EQ(SimProcess({"--reply-byte", "C:1"}).Stop(), 2);
    std::string error;
    ASSERT_TRUE(sim::FlashMemory(8192, 16).Save(m_state, error));
    EXPECT_EQ(SimProcess({"--state", m_state}).Stop(), 1);
    ASSERT_TRUE(sim::FlashMemory(sim::kDefaultCodeSize, 640).Save(m_state, error));
    std::filesystem::resize_file(m_state, std::filesystem::file_size(m_state) - 1);
    EXPECT_EQ(SimProcess({"--state", m_state}).Stop(), 1);
    std::ofstream(m_state) << "not a state file\n";
    EXPECT_EQ(SimProcess({"--state", m_state}).Stop(), 1);
}

}  // namespace
}  // namespace tovrel::testing
