#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <thread>

#include "station/board_extras.h"
#include "station/board_result.h"
#include "station/production_log.h"
#include "station/serial_numbers.h"
#include "station/shell_command.h"
#include "testbed/temp_dir.h"
#include "tests/support/fake_host.h"

namespace tovrel::testing {
namespace {

struct NumberRow {
    const char* name;
    std::string file;  // the file before
    std::uint32_t first;
    std::optional<std::uint32_t> taken;  // none: the file is refused, or no number is left
    std::string after;
};

class SerialNumbers : public ::testing::TestWithParam<NumberRow> {};

TEST_P(SerialNumbers, TakesTheSmallestFreeThenTheNext) {
    const NumberRow& row = GetParam();
    std::optional<SerialNumberState> state = ParseSerialNumbers(row.file);
    const std::optional<std::uint32_t> taken =
        state ? TakeSerialNumber(*state, row.first) : std::nullopt;
    EXPECT_EQ(taken, row.taken);
    if (taken) {
        EXPECT_EQ(SerialNumbersText(*state), row.after);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SerialNumbers,
    ::testing::Values(
        NumberRow{"NewFile", "", 1001, 1001, "next 1002\nfree\n"},
        NumberRow{"FreeFirst", "next 1005\nfree 1002 1003\n", 1000, 1002, "next 1005\nfree 1003\n"},
        NumberRow{"FreeBelowFirstKept", "next 1005\nfree 1002\n", 1003, 1005,
                  "next 1006\nfree 1002\n"},
        NumberRow{"FirstBeyondNext", "next 5\n", 1000, 1000, "next 1001\nfree\n"},
        NumberRow{"LastNumber", "next 4294967295\n", 0, 4294967295u, "next 4294967296\nfree\n"},
        NumberRow{"NoneLeft", "next 4294967296\n", 0, std::nullopt, ""},
        NumberRow{"Garbage", "next 12x\n", 0, std::nullopt, ""},
        NumberRow{"NegativeFree", "free 1 -2\n", 0, std::nullopt, ""},
        NumberRow{"NextTwice", "next 1\nnext 2\n", 0, std::nullopt, ""},
        NumberRow{"FreeNotBelowNext", "next 1005\nfree 1002 1005\n", 0, std::nullopt, ""},
        NumberRow{"FreeWithoutNext", "free 7\n", 0, std::nullopt, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Processes that take numbers at once, some killed at any moment: every number a process was
// given is its own, and the file stays readable.
TEST(SerialNumberFile, NoNumberTwiceAcrossKilledAndConcurrentProcesses) {
    const testbed::TempDir dir;
    const std::string path = dir.Path("serials.txt");
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    std::vector<pid_t> children;
    for (int child = 0; child < 3; ++child) {
        const pid_t pid = fork();
        if (pid == 0) {
            SerialNumberFile file(path, 100);
            for (std::string problem;;) {
                const std::optional<std::uint32_t> number = file.Take(problem);
                if (!number || write(pipeEnds[1], &*number, sizeof *number) < 0) _exit(1);
            }
        }
        children.push_back(pid);
    }
    close(pipeEnds[1]);
    // Each child is killed once forty more numbers have come, wherever it is in its work.
    std::multiset<std::uint32_t> given;
    for (std::uint32_t number; read(pipeEnds[0], &number, sizeof number) == sizeof number;) {
        given.insert(number);
        if (given.size() % 40 == 0 && given.size() <= 40 * children.size()) {
            kill(children[given.size() / 40 - 1], SIGKILL);
        }
    }
    for (const pid_t pid : children) waitpid(pid, nullptr, 0);
    SerialNumberFile file(path, 100);
    std::string problem;
    for (int k = 0; k < 5; ++k) given.insert(file.Take(problem).value_or(0));
    EXPECT_EQ(problem, "");
    EXPECT_EQ(std::set<std::uint32_t>(given.begin(), given.end()).size(), given.size());
}

// Only a regular file (or a new one) holds numbers: a device, a FIFO or a folder in its place
// is refused before any board, and left as it is.
TEST(SerialNumberFile, RefusesWhatIsNoRegularFile) {
    const testbed::TempDir dir;
    ASSERT_EQ(mkfifo(dir.Path("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.Path("folder"));
    std::filesystem::create_symlink("/dev/null", dir.Path("null-link"));
    for (const std::string& path : {dir.Path("fifo"), dir.Path("folder"), dir.Path("null-link")}) {
        EXPECT_NE(SerialNumberFile(path, 1).Check(), "") << path;
    }
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    // A link to a file not there yet is followed: the file is made at its target.
    std::filesystem::create_symlink("new.txt", dir.Path("new-link"));
    EXPECT_EQ(SerialNumberFile(dir.Path("new-link"), 1).Check(), "");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("new-link")));
    EXPECT_EQ(dir.Read("new.txt"), "free\n");
}

// Two processes that share one log: one header, every line whole.
TEST(ProductionLog, SharedByTwoProcessesLinesStayWhole) {
    const testbed::TempDir dir;
    const std::string path = dir.Path("log.csv");
    std::vector<pid_t> children;
    for (const char* port : {"COM1", "/dev/ttyUSB7"}) {
        const pid_t pid = fork();
        if (pid == 0) {
            std::string reason;
            const auto log = ProductionLog::Open(path, reason);
            BoardResult result;
            result.port = port;
            result.device = std::string(200, 'x');
            result.file = "A.HEX";
            for (int line = 0; line < 300 && log; ++line) {
                if (!log->Append(CsvLine(result)).empty()) _exit(1);
            }
            _exit(log ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_EQ(status, 0);
    }
    const std::regex whole(
        R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ,(COM1|/dev/ttyUSB7),FAILED,,x{200},,A\.HEX,,0\.0)");
    std::istringstream lines(dir.Read("log.csv"));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, kCsvHeader);
    int count = 0;
    for (; std::getline(lines, line); ++count) ASSERT_TRUE(std::regex_match(line, whole)) << line;
    EXPECT_EQ(count, 600);
}

struct TextRow {
    const char* name;
    std::string made;
    std::string expected;
};

class RecordTexts : public ::testing::TestWithParam<TextRow> {};

TEST_P(RecordTexts, AsMachinesReadThem) { EXPECT_EQ(GetParam().made, GetParam().expected); }

BoardResult Good() {
    BoardResult r;
    r.port = "/dev/ttyUSB0";
    r.outcome = BoardOutcome::OK;
    r.device = "Zerk8QA \"v\", 2";
    r.serial = 1001;
    r.file = "a\nb.hex";
    r.checksum = 0x11D00;
    r.seconds = 3.249;
    r.ended = std::chrono::system_clock::from_time_t(1796637845);  // 2026-12-07T10:04:05Z
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RecordTexts,
    ::testing::Values(
        TextRow{"SummaryOK", SummaryLine(Good()),
                "/dev/ttyUSB0: RESULT OK, device Zerk8QA \"v\", 2, serial 1001, 3.2 s"},
        TextRow{"Total", TotalLine({5, 3, 1, 1}), "TOTAL: 5 boards, 3 OK, 1 FAILED, 1 INTERRUPTED"},
        TextRow{"CsvQuoted", CsvLine(Good()),
                "2026-12-07T10:04:05Z,/dev/ttyUSB0,OK,,\"Zerk8QA \"\"v\"\", 2\",1001,\"a\nb.hex\","
                "11D00,3.2"},
        TextRow{"JsonEscapes", JsonString("q\"b\\\x01\x7F\xC3\xA9\xFF\xC0\xAF"),
                "\"q\\\"b\\\\\\u0001\\u007f\xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}),
    [](const auto& info) { return std::string(info.param.name); });

struct UnitDataRow {
    const char* name;
    std::string command;
    std::vector<std::string> lines;  // none: the board gets no unit data
    std::string details;             // what the message's details begin with
};

class UnitData : public ::testing::TestWithParam<UnitDataRow> {};

// The message's details, which the fake host does not keep.
struct DetailsHost : FakeHost {
    std::string details;
    void MessageBox(const std::string& text, const std::string& title,
                    const std::string& more) override {
        FakeHost::MessageBox(text, title, more);
        details = more;
    }
};

TEST_P(UnitData, CheckedLikeADataFile) {
    const UnitDataRow& row = GetParam();
    ProductionPlan plan;
    plan.unitData = row.command;
    plan.unitDataTimeout = std::chrono::milliseconds(300);
    BoardExtras extras(plan, "COM7");
    DetailsHost host;
    const auto lines = extras.UnitData(host, {"Zerk8QA version 2.05", 42, 640});
    EXPECT_EQ(lines.value_or(std::vector<std::string>{"none"}), row.lines);
    EXPECT_EQ(host.details.substr(0, row.details.size()), row.details);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UnitData,
    ::testing::Values(UnitDataRow{"Environment",
                                  "printf '5,%s,%s\\r\\nend' \"$TOVREL_SERIAL\" \"$TOVREL_PORT\"",
                                  {"5,42,COM7"},
                                  ""},
                      UnitDataRow{"KilledWithItsOutput",
                                  "echo \"$TOVREL_DEVICE\" >&2; printf '1,2,3,4\\n'; kill $$",
                                  {"none"},
                                  "ended by signal 15\nZerk8QA version 2.05"},
                      UnitDataRow{"AddressBeyondDataFlash",
                                  "printf '1,00\\n641,00\\n'",
                                  {"none"},
                                  "line 2 is no data-flash line"},
                      UnitDataRow{"Hangs", "sleep 5", {"none"}, "did not end within"},
                      UnitDataRow{"SleepsWithItsOutputClosed",
                                  "exec >&- 2>&-; sleep 5",
                                  {"none"},
                                  "did not end within"}),
    [](const auto& info) { return std::string(info.param.name); });

// A command's child that made a session of its own is killed with the command at its time-out.
TEST(ShellCommand, TimeOutKillsAChildInASessionOfItsOwn) {
    const testbed::TempDir dir;
    const std::string pidFile = dir.Path("pid");
    const CommandOutcome outcome =
        RunShellCommand("setsid sleep 30 & echo $! > " + pidFile + "; exec >&- 2>&-; sleep 30", {},
                        std::chrono::milliseconds(300));
    EXPECT_TRUE(outcome.timedOut);
    const std::string pid = dir.Read("pid");
    const std::string stat = "/proc/" + pid.substr(0, pid.find('\n')) + "/stat";
    // Killed: gone, or a zombie nobody reaped yet, once the signal has been taken.
    const auto alive = [&stat] {
        std::ifstream in(stat);
        std::string text;
        std::getline(in, text);
        return !text.empty() && text.substr(text.rfind(')') + 2, 1) != "Z";
    };
    for (int look = 0; look < 100 && alive(); ++look) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_FALSE(alive());
}

}  // namespace
}  // namespace tovrel::testing
