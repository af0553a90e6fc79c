#pragma once

#include "config/long_options.h"

namespace tovrel::app {

// tovrel --read FILE: the code flash read back into FILE, on the port of /C: or on every port
// of --ports at once (one thread each, a file each, "READ-COM3.hex" for "READ.hex"). Never
// opens a window and never saves the settings. Returns 0 when every port was read and written,
// 1 when one failed, 128 + the signal when a signal stopped it.
int RunReadBack(int argc, char** argv, const ParsedCommandLine& line);

}  // namespace tovrel::app
