#pragma once

// One row of the fault suite: the tovrel program run from its command line, end to end,
// against a fresh simulated device with the row's fault options and the row's files in a
// temporary folder.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace tovrel::testbed {
class WinePrefix;
}

namespace tovrel::testing {

using Words = std::vector<std::string>;

// A file written before the run, its name relative to the case's folder ("{dir}" in the
// words): "-" is standard input, "config/..." the settings folder, "program/..." a copy of
// the program's folder the program is then run from, and a name ending in "/" a folder. A
// link's contents are its target; a FIFO has none.
struct CaseFile {
    std::string name;
    std::function<std::string()> contents;
    enum class Made { File, Link, Fifo } made = Made::File;
};

// The device must have received message n of kind (a trace kind such as W or ID, or the hex
// digits the message starts with), and none of the forbidden kinds after it. n 0: from the
// start; kind empty: no check.
struct Received {
    std::string kind;
    int n = 1;
    std::string forbidden;
};

// Where the device is: on COM1 (free, held by another program, missing, not ours to use), or
// on COM2 while COM1 names a device that does not exist.
enum class Port { Sim, Held, Missing, NoPermission, OnCom2 };

// A signal sent to the program once the device has received message n of kind, and again
// every 300 ms until it was sent the given times. SIGPIPE: standard output goes into a pipe
// nobody reads instead.
struct Interrupt {
    int signal = 0;
    std::string kind = {};
    int n = 1;
    int times = 1;
};

struct FaultCase {
    std::string name;
    std::string what;  // what Tovrel does, for the reliability table
    std::string sim;   // the simulated device's options, "--name=value" words apart by blanks
    // The program's words apart by blanks; leading NAME=value words set its environment
    // (NAME= unsets). "{dir}" is the case's folder.
    std::string words;
    std::vector<CaseFile> files;
    int status;
    // Lines on standard output in this order; from its blank first line: all ("{tty}" as below).
    Words out;
    std::string err;    // standard error, exactly ("{tty}" is the device's terminal)
    std::string state;  // the device's memory at the end (see DescribeState); empty: not checked
    Received received = {};
    Port port = Port::Sim;
    Interrupt interrupt = {};
    // Bench rows: more devices, each with its options, on COM3, COM4 and on; a second run of
    // the program beside the first (at the same time) or after it, which succeeds, with its
    // standard output;
    // a file of the case's folder and its lines afterwards, in any order. In standard output
    // and the file, times and seconds read {time} and {s}.
    Words moreSims = {};
    struct {
        std::string words;
        bool alongside = false;
        Words out;
    } second = {};
    std::pair<std::string, Words> fileAfter = {};
    long fileSizeLimit = 0;         // bytes any file the program writes may hold (0: no limit)
    std::string notUnderWine = {};  // why the Windows slice skips the row
};

// TOVREL_WINE_PROGRAM: the tovrel.exe of the Windows slice, absolute; empty when not set.
std::string WineProgram();
// The one wine prefix and server of the Windows slice, started at the first call; nullptr
// when it did not start (why in error).
testbed::WinePrefix* SuiteWine(std::string& error);

inline void PrintTo(const FaultCase& row, std::ostream* out) { *out << row.name; }

// Every row of the suite, in the order of the reliability table.
const std::vector<FaultCase>& FaultCases();
// The Windows slice: rows run by tovrel.exe under wine, their text as the Windows program
// writes it.
const std::vector<FaultCase>& WineCases();

// "code file|erased|other, data file|erased|other, security HH, bootload HH": each flash
// compared with the image of the row's download file and data-flash file.
inline const std::string kCodeFile = "code file, data erased, security FF, bootload FF";
inline const std::string kBothFiles = "code file, data file, security FF, bootload FF";
inline const std::string kUntouched = "code erased, data erased, security FF, bootload FF";

}  // namespace tovrel::testing
