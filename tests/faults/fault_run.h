#pragma once

// One fault case run end to end: a fresh simulated device with the case's fault options, the
// case's files in a temporary folder, and the tovrel program run headless against it.

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/support/sim_process.h"

namespace tovrel::testing {
// The program a case runs: the built one, or a copy beside damaged profiles.
std::string& TovrelUnderTest();
}  // namespace tovrel::testing

#define TOVREL_PATH ::tovrel::testing::TovrelUnderTest()
#include "tests/e2e/tovrel_process.h"

namespace tovrel::testing {

using Words = std::vector<std::string>;

// A file the case writes before the run: its name in the case's folder ("{dir}/" in the
// words) and how its contents are made. The name "-" stands for standard input (a pipe).
struct CaseFile {
    std::string name;
    std::function<std::string()> contents;
};

// The messages the device must not receive after the Nth message of one kind (its trace
// kind: a command letter or ID; or the hex digits the message starts with).
struct NothingAfter {
    std::string kind;
    int n = 1;              // 0: from the start
    std::string forbidden;  // trace kinds (ID, command letters, ?); empty: no check
};

// Where the device is: on COM1 (free, held by another program, missing, not ours to use), or
// on COM2 while COM1 names a device that does not exist.
enum class Port { Sim, Held, Missing, NoPermission, OnCom2 };

// What the world around the run does besides the device and the files.
struct Outside {
    // Sent to the program once the device has received message n of kind (a trace kind).
    // SIGPIPE: standard output goes into a pipe nobody reads instead.
    int signal = 0;
    std::string kind = {};
    int n = 1;
    bool noHome = false;  // neither HOME nor XDG_CONFIG_HOME is set
};

struct FaultCase {
    const char* name;
    const char* what;  // what Tovrel does, for the reliability table
    Words simArguments;
    Words words;  // "{dir}" stands for the case's folder
    std::vector<CaseFile> files;
    int status;
    Words outLines;  // lines standard output must hold, in this order
    Words errParts;  // texts standard error must hold; none: it stays empty
    NothingAfter nothingAfter = {};
    Port port = Port::Sim;
    // Files that go into a copy of the program's folder ("Configuration/Zerk8QA.txt"), run
    // from that copy so the program reads them as its own.
    std::vector<CaseFile> programFiles = {};
    // Files that go into the settings folder ($XDG_CONFIG_HOME), and folders made there.
    std::vector<CaseFile> configFiles = {};
    Words configFolders = {};
    Outside outside = {};
};

inline void PrintTo(const FaultCase& row, std::ostream* out) { *out << row.name; }

// "{dir}" stands for the case's folder, "{tty}" for the device's terminal.
inline std::string Replaced(std::string word, const std::string& dir, const std::string& tty = "") {
    for (const auto& [mark, text] : {std::pair{"{dir}", dir}, std::pair{"{tty}", tty}}) {
        for (std::size_t at; (at = word.find(mark)) != std::string::npos;)
            word.replace(at, 5, text);
    }
    return word;
}

inline void WriteCaseFile(const std::string& folder, const CaseFile& file) {
    const std::filesystem::path path = std::filesystem::path(folder) / file.name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << file.contents();
}

// Whether a process that is not tovrel can open the line now, and no lock file names it.
bool PortFree(const std::string& path);

}  // namespace tovrel::testing

namespace tovrel::testing {

// Every row of the suite, in the order of the reliability table.
const std::vector<FaultCase>& FaultCases();

// The example program, as text, and ways of damaging a text.
std::string ExampleHex();
std::string ExampleData();
std::string WithLineEnds(const std::string& text, const std::string& lineEnd);
std::string WithMixedLineEnds(const std::string& text);
std::string LowerCase(std::string text);
std::string Garbage();
std::string HtmlPage();
std::string HexRecord(unsigned address, const std::vector<unsigned>& bytes);

}  // namespace tovrel::testing
