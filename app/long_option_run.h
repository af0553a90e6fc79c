#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/long_options.h"
#include "core/settings.h"
#include "core/translator.h"

namespace tovrel::app {

// Exit status of a command line that cannot be used.
inline constexpr int kExitUsage = 2;

// A run with long options. Four kinds, decided by the options:
// - the list of serial ports (--list-ports);
// - a read-back (--read): the code flash into a file, on one port or every --ports port;
// - a bench run (--ports, --loop, --serial, --unit-data, --log or --json): the download on
//   every port, with the production extras;
// - otherwise a classic run (window or headless) with the developer's extras (--before,
//   --after, --trace).
// Says on standard error that the trace file cannot be created (nothing was opened or sent)
// and answers the exit status of a command line that cannot be used.
int ReportTraceFailure(const Translator& translator, const std::string& file,
                       const std::string& reason);

// Two entries of --ports that lead to one device (a link and its target, a path spelt with a
// double slash, COMn mapped onto a path also listed): said on standard error, and the exit
// status of a command line that cannot be used. Nothing when every port is a device of its own.
std::optional<int> RefuseSameDevices(const LongOptions& options, const SettingsStore& store,
                                     const Translator& translator);

// The program with a display: the window, or a command-line run whose message boxes wait for
// the operator. A signal stops it as a headless run is stopped, waits for a message box or a
// dialog included; the window then closes as by its close box.
int RunStoppableWindow(int argc, char** argv, const ParsedCommandLine& line);

int RunWithLongOptions(const ParsedCommandLine& line, int argc, char** argv, bool display);

}  // namespace tovrel::app
