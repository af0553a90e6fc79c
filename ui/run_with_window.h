#pragma once

namespace tovrel {

// The program with its window: starts the form (which may run a whole command-line download
// and end there), then shows the window until it is closed. Returns the exit status.
int RunWithWindow(int argc, char** argv);

// The start-up code reaches it as ui::RunWithWindow as well.
namespace ui {
using tovrel::RunWithWindow;
}

}  // namespace tovrel
