// Windows only: the bench's shared files and its unit-data command on the system's own calls.
#include "core/win32.h"
// After windows.h:
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "core/os_files.h"
#include "station/board_result.h"
#include "station/production_log.h"
#include "station/serial_numbers.h"
#include "station/shell_command.h"

namespace tovrel::testing {
namespace {

using std::chrono::milliseconds;

// A fresh folder whose name is no ASCII: a path that reaches the system in the ANSI code page
// instead of UTF-16 misses it.
class Folder {
  public:
    Folder() {
        wchar_t temporary[MAX_PATH];
        GetTempPathW(MAX_PATH, temporary);
        m_path = Narrow(temporary) + "tovrel-Prüfung-Ω-" + std::to_string(GetCurrentProcessId()) +
                 "-" + std::to_string(GetTickCount64());
        CreateDirectoryW(Wide(m_path).c_str(), nullptr);
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(Wide(m_path)), ignored);
    }
    std::string Path(const std::string& name) const { return m_path + "\\" + name; }
    std::string Read(const std::string& name) const {
        std::string text;
        ReadWholeFile(Path(name), kCommandOutputLimit * 2, {}, text);
        return text;
    }

  private:
    std::string m_path;
};

// Ports that each hold the file through a handle of their own take numbers at once: the lock
// keeps them apart, and a rename over the file one of them has open a moment is tried again.
TEST(SerialNumberFileOnWindows, NoNumberTwiceAcrossHandles) {
    const Folder folder;
    const std::string path = folder.Path("new folder\\Seriennummern.txt");
    std::vector<std::vector<std::uint32_t>> taken(3);
    std::vector<std::thread> ports;
    for (auto& numbers : taken) {
        ports.emplace_back([&path, &numbers] {
            SerialNumberFile file(path, 100);
            std::string problem;
            for (int k = 0; k < 60; ++k) numbers.push_back(file.Take(problem).value_or(0));
            EXPECT_EQ(problem, "");
        });
    }
    for (std::thread& port : ports) port.join();
    std::set<std::uint32_t> all;
    for (const auto& numbers : taken) all.insert(numbers.begin(), numbers.end());
    EXPECT_EQ(all.size(), 180u);
    EXPECT_EQ(*all.begin(), 100u);
    EXPECT_EQ(folder.Read("new folder\\Seriennummern.txt"), "next 280\nfree\n");
    // A reader that holds the file a moment (a virus scanner, say) delays the rename over it.
    const HANDLE reader = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    std::thread gone([reader] {
        Sleep(200);
        CloseHandle(reader);
    });
    std::string problem;
    EXPECT_EQ(SerialNumberFile(path, 100).Take(problem), 280u) << problem;
    gone.join();
}

TEST(SerialNumberFileOnWindows, RefusesAFolderAndADevice) {
    const Folder folder;
    CreateDirectoryW(Wide(folder.Path("folder")).c_str(), nullptr);
    EXPECT_EQ(SerialNumberFile(folder.Path("folder"), 1).Check(),
              folder.Path("folder") + ": not a regular file");
    EXPECT_NE(SerialNumberFile("NUL", 1).Check(), "");
}

// Two logs on one file, as two benches have it: one header, every line whole and ending in a
// line feed alone.
TEST(ProductionLogOnWindows, LinesStayWholeWithoutCarriageReturns) {
    const Folder folder;
    const std::string path = folder.Path("log é.csv");
    std::vector<std::thread> benches;
    for (const char* port : {"COM1", "COM12"}) {
        benches.emplace_back([&path, port] {
            std::string reason;
            const auto log = ProductionLog::Open(path, reason);
            ASSERT_NE(log, nullptr) << reason;
            BoardResult result;
            result.port = port;
            result.device = std::string(300, 'x');
            for (int line = 0; line < 100; ++line) EXPECT_EQ(log->Append(CsvLine(result)), "");
        });
    }
    for (std::thread& bench : benches) bench.join();
    const std::string text = folder.Read("log é.csv");
    EXPECT_EQ(text.find('\r'), std::string::npos);
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, kCsvHeader);
    int count = 0;
    for (; std::getline(lines, line); ++count) {
        ASSERT_NE(line.find("," + std::string(300, 'x') + ","), std::string::npos) << line;
    }
    EXPECT_EQ(count, 200);
}

struct CommandRow {
    const char* name;
    std::string command;
    std::vector<std::pair<std::string, std::string>> variables;
    std::string out;
    int exitStatus;
};

class CommandOnWindows : public ::testing::TestWithParam<CommandRow> {};

TEST_P(CommandOnWindows, RunsThroughCmd) {
    const CommandRow& row = GetParam();
    const CommandOutcome outcome = RunShellCommand(row.command, row.variables, milliseconds(20000));
    EXPECT_EQ(outcome.startProblem, "");
    EXPECT_EQ(outcome.out, row.out);
    EXPECT_EQ(outcome.exitStatus, row.exitStatus);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandOnWindows,
    ::testing::Values(
        CommandRow{"OutputAndStatus", "echo 5,1,2& exit /b 3", {}, "5,1,2\r\n", 3},
        CommandRow{"Variables",
                   "echo %TOVREL_SERIAL%,%TOVREL_PORT%",
                   {{"TOVREL_SERIAL", "42"}, {"TOVREL_PORT", "COM7"}},
                   "42,COM7\r\n",
                   0},
        CommandRow{
            "VariableOfAnyCase", "echo %PATH%", {{"path", "C:\\nowhere"}}, "C:\\nowhere\r\n", 0},
        CommandRow{"StandardErrorApart", "echo oops 1>&2", {}, "", 0},
        // The command as it stands, quotes at both ends included.
        CommandRow{"QuotedProgram", "\"%ComSpec%\" /c echo \"a b\"", {}, "\"a b\"\r\n", 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Exactly the limit is kept; one byte more is too much, and what is kept stays within it.
TEST(CommandOnWindows, OutputLimitAtItsEdge) {
    const Folder folder;
    const std::string path = folder.Path("out.bin");
    for (const std::size_t size : {kCommandOutputLimit, kCommandOutputLimit + 1}) {
        std::ofstream(std::filesystem::path(Wide(path)), std::ios::binary)
            << std::string(size, 'y');
        const CommandOutcome outcome =
            RunShellCommand("type \"" + path + "\"", {}, milliseconds(20000));
        EXPECT_EQ(outcome.tooMuch, size > kCommandOutputLimit) << size;
        EXPECT_EQ(outcome.out.size(), size > kCommandOutputLimit ? outcome.out.size() : size);
        EXPECT_LE(outcome.out.size(), kCommandOutputLimit);
    }
}

int PingsRunning() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        count += _wcsicmp(entry.szExeFile, L"ping.exe") == 0 ? 1 : 0;
    }
    CloseHandle(snapshot);
    return count;
}

// A time-out ends what the command started, in the background too; a stop ends it at once.
// The pings inherit the pipes, so a run that ended only the shell would wait for them: an hour,
// beyond the test's time-out.
TEST(CommandOnWindows, TimeOutAndStopEndEverythingItStarted) {
    const std::string pings =
        "start /b ping -n 3600 127.0.0.1 >NUL 2>&1 & ping -n 3600 127.0.0.1 >NUL 2>&1";
    CommandOutcome outcome = RunShellCommand(pings, {}, milliseconds(500));
    EXPECT_TRUE(outcome.timedOut);
    EXPECT_EQ(PingsRunning(), 0);
    outcome = RunShellCommand(pings, {}, milliseconds(60000), [] { return true; });
    EXPECT_TRUE(outcome.stopped);
    EXPECT_FALSE(outcome.timedOut);
    EXPECT_EQ(PingsRunning(), 0);
}

}  // namespace
}  // namespace tovrel::testing
