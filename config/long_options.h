#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/line_sequence.h"
#include "link/serial_ports.h"

namespace tovrel {

// What the long options of a command line ask for beyond a classic run: a production bench
// (several ports, a loop, serial numbers, a log, a database, JSON), the questions to the
// production record, and the developer's tools (modem-line sequences, read-back, a protocol
// trace). A run without any of them is a classic run.
struct LongOptions {
    std::vector<std::string> ports;  // --ports, each COMn, usb:SERIAL or a device path, as given
    // The device each usb:SERIAL of ports leads to, once the adapters have been looked at.
    std::map<std::string, std::string> usbPaths;
    bool loop = false;                         // --loop (also set by --count)
    std::optional<long> count;                 // --count N: boards in all
    std::optional<std::uint32_t> serialFirst;  // --serial FIRST
    std::optional<std::uint16_t> serialAt;     // --serial-at ADDRESS (data-flash address)
    std::string serialFile;                    // --serial-file PATH; empty: the default file
    std::string unitData;                      // --unit-data COMMAND
    std::string logFile;                       // --log FILE
    bool json = false;                         // --json
    std::optional<LineSequence> before;        // --before SEQUENCE
    std::optional<LineSequence> after;         // --after SEQUENCE
    std::string readFile;                      // --read FILE (.hex or .bin)
    std::string traceFile;                     // --trace FILE
    std::string database;                      // --db TARGET: an SQLite file or a URI
    std::string station;                       // --station NAME; empty: the host's name
    bool report = false;                       // --report
    std::string since;                         // --since YYYY-MM-DD (with --report)
    std::optional<std::uint32_t> history;      // --history SERIAL
    bool listPorts = false;                    // --list-ports

    // True when any long option was given.
    bool Any() const;
    // True when the run is a bench run over the --ports list.
    bool Bench() const { return !ports.empty(); }
    // True when the line asks the production record (--report, --history), downloading nothing.
    bool Query() const { return report || history.has_value(); }
    // The device a port of the list opens: a usb:SERIAL's adapter, else the port as given.
    std::string DevicePathOf(const std::string& port) const {
        const auto found = usbPaths.find(port);
        return found != usbPaths.end() ? found->second : port;
    }
};

// A command line split into its long options and the classic words (download file, data
// file, "/" switches), which keep their order. A line that cannot be used has its problem in
// errorText (a template of the text catalogue, "%1" standing for errorArgument); nothing may
// then be opened or sent.
struct ParsedCommandLine {
    LongOptions options;
    std::vector<std::string> classicWords;
    const char* errorText = nullptr;
    std::string errorArgument;

    bool Usable() const { return errorText == nullptr; }
};

// Long options are "--name VALUE" or "--name=VALUE" and may stand anywhere; "--" ends them
// (what follows is classic, so a file may begin with "--"). A long option is never taken as
// the download file.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& words);

// Notes in options where each usb:SERIAL of its ports leads, by the serial devices found (the
// stable name where there is one). A serial number that no adapter has, or more than one has,
// makes the line unusable: the problem is in errorText, as for ParseCommandLine.
void ResolveUsbPorts(ParsedCommandLine& line, const std::vector<DetectedPort>& found);

// "COM3" -> 3 (either case, 1 to 32); 0 for anything else.
int ComportOfName(const std::string& name);

// The name of a port's own file beside FILE: "READ.hex" for COM3 gives "READ-COM3.hex"; a
// device path gives its last component ("READ-ttyUSB0.hex").
std::string PerPortFileName(const std::string& file, const std::string& port);

}  // namespace tovrel
