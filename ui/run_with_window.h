#pragma once

#include <functional>

#include "config/long_options.h"

namespace tovrel {

// Exit status when the trace file cannot be created: nothing was opened or sent.
inline constexpr int kExitTraceNotCreated = 2;

// The program with its window: starts the form (which may run a whole command-line download
// of the classic words of line, and end there), then shows the window until it is closed.
// The developer's options of line (--before, --after, --trace) apply. stopSignal, when given,
// tells that a signal asked the program to stop (0 while none did): a command-line run then
// stops as a headless one does, and the window closes as by its close box. Returns the exit
// status.
int RunWithWindow(int argc, char** argv, const ParsedCommandLine& line,
                  std::function<int()> stopSignal = {});

// The start-up code reaches it as ui::RunWithWindow as well.
namespace ui {
using tovrel::RunWithWindow;
}

}  // namespace tovrel
