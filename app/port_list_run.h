#pragma once

#include <optional>

#include "config/long_options.h"

namespace tovrel::app {

// tovrel --list-ports [--json]: every serial device of this computer and the COM names that
// open it, on standard output; status 0, also when there is none (standard error says so).
int RunListPorts(int argc, char** argv, bool json);

// Finds the USB adapters that --ports names by serial number (usb:SERIAL) and notes each one's
// device in the options. An adapter that is not plugged in, or a serial number two adapters
// share, makes the line unusable: standard error says which, and the exit status is answered.
std::optional<int> FindUsbPorts(ParsedCommandLine& line);

}  // namespace tovrel::app
