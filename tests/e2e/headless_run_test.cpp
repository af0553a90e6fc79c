#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/e2e/tovrel_process.h"
#include "tests/support/sim_process.h"

namespace tovrel::testing {
namespace {

const std::string kHex = std::string(TOVREL_EXAMPLES) + "/blinky.hex";

// One run of the program against a fresh simulated device on COM1, with its own settings.
class HeadlessRun : public ::testing::Test {
  public:
    ProgramRun Run(std::vector<std::string> simArguments, const std::vector<std::string>& words) {
        simArguments.insert(simArguments.end(), {"--state", m_dir.File("state")});
        SimProcess sim(simArguments);
        EXPECT_TRUE(sim.Started()) << sim.Error();
        return RunTovrel(words, {{"HOME", m_dir.Path()},
                                 {"XDG_CONFIG_HOME", m_dir.File("config")},
                                 {"TOVREL_COM1", sim.Path()}});
    }
    TempDir m_dir;
};

TEST_F(HeadlessRun, FullRunLogsToStandardOutputProgramsTheDeviceAndSavesTheSettings) {
    const ProgramRun run = Run({}, {kHex, "/V", "/R:E000", "/T:0"});
    EXPECT_EQ(run.out,
              "\nConfiguration: COM1, 9600 baud\nRESETTING PART: OK\nBaudrate = 115200... OK\n"
              "ERASING CODE AND DATA... OK\nCheckSum of [" +
                  kHex +
                  "] is 11D00hex - 72960 Dec\n"
                  "DOWNLOADING CODE [" +
                  kHex +
                  "]:..........OK\nVERIFYING USER CODE: ... OK\n"
                  "Baudrate = 9600... OK\nSTARTING USER CODE: ... OK\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    const std::optional<SimState> state = ReadSimState(m_dir.File("state"));
    ASSERT_TRUE(state);
    // LJMP 0033 at the reset vector, then the first instruction there.
    EXPECT_EQ(std::vector<std::uint8_t>(state->code.begin(), state->code.begin() + 4),
              (std::vector<std::uint8_t>{0x02, 0x00, 0x33, 0xFF}));
    EXPECT_EQ(state->code[0x33], 0x75);
    std::ifstream file(m_dir.File("config/Tovrel/Tovrel.conf"));
    const std::string saved{std::istreambuf_iterator<char>(file), {}};
    for (const char* line : {"[8051]", "VerifyAfterDownload=True", "RunAddress=57344"}) {
        EXPECT_NE(saved.find(line), std::string::npos) << saved;
    }
}

using Words = std::vector<std::string>;

// A run that ends otherwise (the fault suite has the ports): its exit status, the device's and
// the program's arguments, how standard output ends and standard error exactly.
struct Ending {
    const char* name;
    int status;
    Words simArguments;
    Words words;
    std::string outEnd;
    std::string err;
};

void PrintTo(const Ending& row, std::ostream* out) { *out << row.name; }

class HeadlessEnding : public HeadlessRun, public ::testing::WithParamInterface<Ending> {};

TEST_P(HeadlessEnding, EndsWithItsStatusAndTheMessagesOnStandardError) {
    const Ending& row = GetParam();
    const ProgramRun run = Run(row.simArguments, row.words);
    EXPECT_TRUE(run.out.ends_with(row.outEnd)) << run.out;
    EXPECT_EQ(run.err, row.err);
    EXPECT_EQ(run.status, row.status);
}

const Ending kEndings[] = {
    {"EraseRefused", 1, Words{"--reply-byte", "A:1:15"}, Words{kHex},
     "ERASING CODE AND DATA... failed\nBaudrate = 9600... OK\n", ""},
    {"ForeignDevice", 1, Words{"--id", "Zerk8QA    205"}, Words{kHex}, "RESETTING PART: failed\n",
     "Warning: Error: could not reset the device\n\nPlease ensure that...\n\n"
     "1. The power supply is connected\n2. All connections are correct\n"
     "3. A program is not already running\n4. The correct value for the crystal is selected\n"
     "5. PSEN is inserted\n\nSee downloading instructions under 'Help-->Index'\n"},
    {"SerialSafeAnsweredNoSendsNoSecurityBits", 0, Words{}, Words{kHex, "/S:2"},
     "]:..........OK\nBaudrate = 9600... OK\n",
     "Serial safe mode not confirmed (set TOVREL_CONFIRM_SERIAL_SAFE=yes beforehand to confirm "
     "it): answered No\n"},
    {"Version", 0, Words{}, Words{"--version"}, std::string("Tovrel ") + TOVREL_VERSION + "\n", ""},
    {"NoCommandLineAndNoDisplay", 2, Words{}, Words{}, "",
     "tovrel: no display to open the main window on (neither DISPLAY nor WAYLAND_DISPLAY is "
     "set); give a command line to download without one, see tovrel --help\n"},
};

INSTANTIATE_TEST_SUITE_P(Rows, HeadlessEnding, ::testing::ValuesIn(kEndings),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrel::testing
