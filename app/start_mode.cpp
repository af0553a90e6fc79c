#include "app/start_mode.h"

#include <csignal>
#include <cstdlib>
#include <iostream>

#include "app/headless_run.h"
#include "app/stop_signals.h"
#include "config/tr.h"
#ifdef TOVREL_WITH_WINDOW
#include "ui/run_with_window.h"
#endif

namespace tovrel::app {
namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

int RunWindow(int argc, char** argv) {
#ifdef TOVREL_WITH_WINDOW
    return RunWithWindow(argc, argv);
#else
    (void)argc;
    (void)argv;
    std::cerr << "tovrel: "
              << Tr("this build has no main window (Qt Widgets was not found); give a "
                    "command line and run it without a display")
              << '\n';
    return kExitNoWindow;
#endif
}

// A headless command-line run that a signal stops in good order: it ends after the clean-up
// with 128 + the signal.
int RunStoppable(int argc, char** argv) {
    CatchStopSignals();
    const int status = RunHeadless(argc, argv);
    if (const int signal = StopSignal(); signal != 0) {
        std::cerr << "tovrel: " << Tr("stopped by %1", SignalName(signal)) << '\n';
        return ExitStatusForSignal(signal);
    }
    return status;
}

}  // namespace

StartMode ChooseStartMode(const std::vector<std::string>& words, bool displayAvailable) {
    if (words.size() == 1 && words[0] == "--help") return StartMode::Help;
    if (words.size() == 1 && words[0] == "--version") return StartMode::Version;
    if (displayAvailable) return StartMode::Window;
    return words.empty() ? StartMode::NoDisplay : StartMode::Headless;
}

bool DisplayAvailable() {
#ifdef _WIN32
    return true;
#else
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
#endif
}

std::string VersionText() { return std::string("Tovrel ") + TOVREL_VERSION + "\n"; }

// One translatable piece per paragraph, the blank lines between them kept outside.
std::string UsageText() {
    return Tr("Usage: tovrel                          open the main window\n"
              "       tovrel HEXFILE [DATAFILE] [SWITCH...]\n"
              "                                       download unattended, then end\n"
              "       tovrel --help | --version\n") +
           "\n" +
           Tr("The first word is always the Intel HEX file. Switches (upper or lower case):\n"
              "  /D       erase the code flash only (and download the code only)\n"
              "  /B       set bootload mode after the download (the code then starts at E000)\n"
              "  /R       start the user code after the download\n"
              "  /V       verify the code flash after the download\n"
              "  /R:hhhh  start the user code at the hexadecimal address hhhh (four characters)\n"
              "  /C:n     use the serial port COMn, n from 1 to 31\n"
              "  /T:n     wait n seconds (0 to 9) at the end\n"
              "  /S:n     security bits: 0 lock, 1 secure, 2 serial safe, 3 all three\n"
              "  /M:n     download 0 code and data, 1 code only, 2 data only; with 0 and 2 the\n"
              "           second word is the data-flash text file\n"
              "  /X:f     other crystal of f MHz\n") +
           "\n" +
           Tr("Serial ports: COMn opens the device named by the environment variable TOVREL_COMn,\n"
              "else the key COMn of the section [Ports] in the settings file, else /dev/ttyS(n-1).\n") +
           "\n" +
           Tr("Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) a command-line run opens\n"
              "no window: the status log goes to standard output, messages to standard error, a\n"
              "file dialog counts as cancelled, and the serial-safe question is answered No unless\n"
              "the environment variable TOVREL_CONFIRM_SERIAL_SAFE=yes confirms it beforehand.\n") +
           "\n" +
           Tr("Exit status: 0 the reset and every step that ran succeeded; 1 the reset or a step\n"
              "failed, or no file was given; 2 no window can be shown. Without a display, SIGINT,\n"
              "SIGTERM and SIGHUP stop the run in good order (the device back at 9600 baud, the\n"
              "port closed, the settings saved); the status is then 130, 143 or 129.\n");
}

int Main(int argc, char** argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    switch (ChooseStartMode(words, DisplayAvailable())) {
        case StartMode::Help:
            std::cout << UsageText();
            return 0;
        case StartMode::Version:
            std::cout << VersionText();
            return 0;
        case StartMode::Window:
            // A command-line run echoes its log: a reader that went away stops only that.
            if (!words.empty()) std::signal(SIGPIPE, SIG_IGN);
            return RunWindow(argc, argv);
        case StartMode::Headless:
            return RunStoppable(argc, argv);
        case StartMode::NoDisplay:
            break;
    }
    std::cerr << "tovrel: "
              << Tr("no display to open the main window on (neither DISPLAY nor "
                    "WAYLAND_DISPLAY is set); give a command line to download without one, "
                    "see tovrel --help")
              << '\n';
    return kExitNoWindow;
}

}  // namespace tovrel::app
