#pragma once

#include <string>
#include <vector>

namespace tovrel::app {

enum class StartMode {
    Help,       // "--help" alone: print the usage
    Version,    // "--version" alone: print the version
    Window,     // a display is available: the main window, also for a command-line run
    Headless,   // a command-line run without a display: no window at all
    NoDisplay,  // an interactive start without a display: nothing to show it on
};

// Exit statuses besides the download's own 0 (success) and 1 (a step failed).
inline constexpr int kExitNoWindow = 2;

StartMode ChooseStartMode(const std::vector<std::string>& words, bool displayAvailable);
bool DisplayAvailable();
std::string UsageText();
std::string VersionText();

// The program: chooses the start mode from the command line and the environment and runs it.
int Main(int argc, char** argv);

}  // namespace tovrel::app
