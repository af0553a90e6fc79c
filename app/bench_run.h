#pragma once

#include <memory>
#include <string>

#include "config/long_options.h"
#include "link/serial_port.h"

namespace tovrel::app {

// A bench run: the download on every --ports port at once (or on the one port /C: names),
// with the loop, serial numbers, unit data, the production log and JSON as the options ask.
// With a display and --ports the bench window shows it. Returns the exit status: 0 every
// board succeeded, 1 one failed, 2 the run cannot start (the log or the number file cannot be
// used), 128 + the signal when one stopped it.
int RunBench(const ParsedCommandLine& line, int argc, char** argv, bool display);

// The serial port of one bench port, traced into traceFile when one is named: every port of a
// bench is made here. Null, with the reason in error, when the trace file cannot be made.
std::unique_ptr<SerialPort> MakeBenchPort(const std::string& port, const std::string& traceFile,
                                          std::string& error);

}  // namespace tovrel::app
