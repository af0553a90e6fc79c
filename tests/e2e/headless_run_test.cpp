#include <gtest/gtest.h>

#include "tests/e2e/tovrel_process.h"
#include "tests/support/sim_process.h"

namespace tovrel::testing {
namespace {

const std::string kHex = std::string(TOVREL_EXAMPLES) + "/blinky.hex";

// One simulated device and a settings folder for one run of the program.
class HeadlessRun : public ::testing::Test {
  protected:
    void StartDevice(std::vector<std::string> arguments = {}) {
        arguments.insert(arguments.end(),
                         {"--state", m_dir.File("state"), "--trace", m_dir.File("trace")});
        m_sim = std::make_unique<SimProcess>(arguments);
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
    }
    std::map<std::string, std::string> Env() const {
        std::map<std::string, std::string> env{{"HOME", m_dir.Path()},
                                               {"XDG_CONFIG_HOME", m_dir.File("config")}};
        if (m_sim) env["TOVREL_COM1"] = m_sim->Path();
        return env;
    }
    ProgramRun Run(const std::vector<std::string>& arguments) {
        ProgramRun run = RunTovrel(arguments, Env());
        if (m_sim) m_sim->Stop();
        return run;
    }
    // The framed messages the device received, as command letter and payload bytes.
    std::vector<std::vector<std::uint8_t>> Received(const std::string& kind) const {
        std::vector<std::vector<std::uint8_t>> messages;
        for (const TraceEntry& entry : ReadTrace(m_dir.File("trace"))) {
            if (entry.direction == TraceEntry::Direction::Rx && entry.kind == kind) {
                messages.push_back(entry.bytes);
            }
        }
        return messages;
    }

    TempDir m_dir;
    std::unique_ptr<SimProcess> m_sim;
};

TEST_F(HeadlessRun, FullDownloadWritesTheLogToStandardOutputOnly) {
    StartDevice();
    const ProgramRun run = Run({kHex, "/V", "/R:E000", "/T:0"});
    const std::string expected[] = {
        "",
        "Configuration: COM1, 9600 baud",
        "RESETTING PART: OK",
        "Baudrate = 115200... OK",
        "ERASING CODE AND DATA... OK",
        "CheckSum of [" + kHex + "] is 11D00hex - 72960 Dec",
        "DOWNLOADING CODE [" + kHex + "]:..........OK",
        "VERIFYING USER CODE: ... OK",
        "Baudrate = 9600... OK",
        "STARTING USER CODE: ... OK",
    };
    std::string log;
    for (const std::string& line : expected) log += line + "\n";
    EXPECT_EQ(run.out, log);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    const std::optional<SimState> state = ReadSimState(m_dir.File("state"));
    ASSERT_TRUE(state);
    // LJMP 0033 at the reset vector, then the first instruction there.
    EXPECT_EQ(std::vector<std::uint8_t>(state->code.begin(), state->code.begin() + 3),
              (std::vector<std::uint8_t>{0x02, 0x00, 0x33}));
    EXPECT_EQ(state->code[0x33], 0x75);
    const auto starts = Received("U");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0],
              (std::vector<std::uint8_t>{0x07, 0x0E, 0x04, 0x55, 0x00, 0xE0, 0x00, 0xC7}));
}

struct FailingRun {
    const char* name;
    std::vector<std::string> simArguments;
    std::string logLine;  // a line the log must hold
    std::string err;      // standard error, exactly
};

void PrintTo(const FailingRun& row, std::ostream* out) { *out << row.name; }

class FailingHeadlessRun : public HeadlessRun, public ::testing::WithParamInterface<FailingRun> {};

TEST_P(FailingHeadlessRun, EndsWithStatusOneAndTheMessagesOnStandardError) {
    StartDevice(GetParam().simArguments);
    const ProgramRun run = Run({kHex, "/V"});
    EXPECT_NE(run.out.find(GetParam().logLine + "\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, GetParam().err);
    EXPECT_EQ(run.status, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailingHeadlessRun,
    ::testing::Values(
        FailingRun{
            "EraseRefused", {"--reply-byte", "A:1:15"}, "ERASING CODE AND DATA... failed", ""},
        FailingRun{"ForeignDevice",
                   {"--id", "Zerk8QA    205"},
                   "RESETTING PART: failed",
                   "Warning: Error: could not reset the device\n\nPlease ensure that...\n\n"
                   "1. The power supply is connected\n2. All connections are correct\n"
                   "3. A program is not already running\n"
                   "4. The correct value for the crystal is selected\n5. PSEN is inserted\n\n"
                   "See downloading instructions under 'Help-->Index'\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HeadlessRun, SerialSafeModeIsAnsweredNoUnlessConfirmedBeforehand) {
    StartDevice();
    ProgramRun run = Run({kHex, "/S:2"});
    EXPECT_NE(run.err.find("answered No"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("SECURITY"), std::string::npos);
    EXPECT_TRUE(Received("S").empty());
    EXPECT_EQ(run.status, 0);

    StartDevice();
    std::map<std::string, std::string> env = Env();
    env["TOVREL_CONFIRM_SERIAL_SAFE"] = "yes";
    run = RunTovrel({kHex, "/S:2"}, env);
    m_sim->Stop();
    EXPECT_NE(run.out.find("DOWNLOADING SECURITY BITS: ... OK\n"), std::string::npos) << run.out;
    const auto security = Received("S");
    ASSERT_EQ(security.size(), 1u);
    EXPECT_EQ(security[0][4], 0x03);  // serial-safe bit cleared
}

TEST_F(HeadlessRun, WithoutAFileNameTheDialogCountsAsCancelled) {
    StartDevice();
    const ProgramRun run = Run({""});
    EXPECT_NE(run.err.find("counted as cancelled"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("DOWNLOADING CODE"), std::string::npos);
    EXPECT_EQ(run.status, 1);
}

TEST_F(HeadlessRun, HelpVersionAndAStartWithoutDisplay) {
    ProgramRun run = Run({"--version"});
    EXPECT_EQ(run.out, std::string("Tovrel ") + TOVREL_VERSION + "\n");
    EXPECT_EQ(run.status, 0);
    run = Run({"--help"});
    EXPECT_NE(run.out.find("TOVREL_CONFIRM_SERIAL_SAFE"), std::string::npos);
    EXPECT_NE(run.out.find("/dev/ttyS(n-1)"), std::string::npos);
    EXPECT_EQ(run.status, 0);
    run = Run({});
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_EQ(run.status, 2);
}

}  // namespace
}  // namespace tovrel::testing
