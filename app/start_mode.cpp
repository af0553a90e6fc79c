#include "app/start_mode.h"

#include <cstdlib>
#include <iostream>

#include "adapters/run_context.h"
#include "app/headless_run.h"
#include "app/long_option_run.h"
#include "core/user_texts.h"
#if defined(_WIN32) && defined(TOVREL_WITH_WINDOW)
#include "core/win32.h"
#endif

namespace tovrel::app {
namespace {

[[maybe_unused]] bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

#if defined(_WIN32) && defined(TOVREL_WITH_WINDOW)
// Started from Explorer or a shortcut, the program gets a console of its own, which would stand
// empty beside the window: it is let go when no other program shares it. A console that a
// command prompt shares with the program stays, and so does a command-line run's.
void LeaveConsoleOfItsOwn() {
    DWORD processes[2];
    if (GetConsoleWindow() != nullptr && GetConsoleProcessList(processes, 2) == 1) FreeConsole();
}
#endif

int RunWindow(int argc, char** argv, const ParsedCommandLine& line) {
#ifdef TOVREL_WITH_WINDOW
#ifdef _WIN32
    if (line.classicWords.empty()) LeaveConsoleOfItsOwn();
#endif
    return RunStoppableWindow(argc, argv, line);
#else
    (void)argc;
    (void)argv;
    (void)line;
    std::cerr << kCommandPrefix << ProgramTranslator().Translate(kNoWindowBuildNote) << '\n';
    return kExitNoWindow;
#endif
}

}  // namespace

StartMode ChooseStartMode(const std::vector<std::string>& words, bool displayAvailable) {
    if (words.size() == 1 && words[0] == "--help") return StartMode::Help;
    if (words.size() == 1 && words[0] == "--version") return StartMode::Version;
    if (displayAvailable) return StartMode::Window;
    return words.empty() ? StartMode::NoDisplay : StartMode::Headless;
}

bool DisplayAvailable() {
#if defined(_WIN32) && defined(TOVREL_WITH_WINDOW)
    return true;
#elif defined(_WIN32)
    // Windows always has its desktop, but without the window every command line runs as
    // without a display.
    return false;
#else
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
#endif
}

std::string VersionText() { return std::string(kProgramTitle) + " " + TOVREL_VERSION + "\n"; }

// One translatable piece per paragraph, the blank lines between them kept outside.
std::string UsageText() {
    const ProgramTranslator translator;
    std::string text;
    for (const char* paragraph : kUsageParagraphs) {
        if (!text.empty()) text += "\n";
        text += translator.Translate(paragraph);
    }
    return text;
}

int Main(int argc, char** argv) {
    const std::vector<std::string> words = CommandLineWords(argc, argv);
    const StartMode mode = ChooseStartMode(words, DisplayAvailable());
    // A line without long options is taken word for word, as it always was, but for a "--"
    // that ends the long options, so that a file may begin with "--".
    ParsedCommandLine classic;
    classic.classicWords = words;
    if (mode != StartMode::Help && mode != StartMode::Version && !words.empty()) {
        const ParsedCommandLine line = ParseCommandLine(words);
        const ProgramTranslator translator;
        if (!line.Usable()) {
            std::cerr << kCommandPrefix << Tr(translator, line.errorText, line.errorArgument)
                      << '\n'
                      << kCommandPrefix << translator.Translate(kUsageHint) << '\n';
            return kExitUsage;
        }
        if (line.options.Any()) return RunWithLongOptions(line, argc, argv, DisplayAvailable());
        classic = line;
    }
    switch (mode) {
        case StartMode::Help:
            std::cout << UsageText();
            return 0;
        case StartMode::Version:
            std::cout << VersionText();
            return 0;
        case StartMode::Window:
            return RunWindow(argc, argv, classic);
        case StartMode::Headless:
            return RunStoppable(argc, argv, classic);
        case StartMode::NoDisplay:
            break;
    }
#ifdef _WIN32
    const char* note = kNoWindowBuildNote;  // it is the build that has no window, not the PC
#else
    const char* note = kNoDisplayNote;
#endif
    std::cerr << kCommandPrefix << ProgramTranslator().Translate(note) << '\n';
    return kExitNoWindow;
}

}  // namespace tovrel::app
