#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/translator.h"

namespace tovrel {

// Platform services the program logic needs from its surroundings. Implemented by the Qt
// window (interactive), by the console (headless command-line run) and by test fakes.
class Host : public Translator {
  public:
    ~Host() override = default;

    // The program's own texts as the user reads them. Without a translation (a test fake, a
    // host that installs none) they stay as they are.
    std::string Translate(const char* text) const override { return text; }

    // A modal message box with the exclamation icon and one OK button. Details, when there
    // are any, say more for whoever looks (the port and the system's reason, say): the
    // window's "Show Details...", one more line on standard error.
    virtual void MessageBox(const std::string& text, const std::string& title,
                            const std::string& details) = 0;
    void MessageBox(const std::string& text, const std::string& title) {
        MessageBox(text, title, {});
    }

    // The open-file dialog. The filter is "Description (*.ext)|*.ext". Empty on cancel.
    virtual std::string OpenFileDialog(const std::string& filter) = 0;

    // Shows the serial-safe warning without waiting for it. The host calls answer(true)
    // for Yes and answer(false) for No or when the dialog is closed any other way.
    virtual void ShowSerialSafeWarning(std::function<void(bool yes)> answer) = 0;

    // Lets the window process its events until done() holds.
    virtual void ProcessEventsUntil(const std::function<bool()>& done) = 0;

    // Waits the given number of seconds while the window keeps processing its events.
    virtual void Pause(float seconds) = 0;

    // The words of the command line after the program's own name.
    virtual std::vector<std::string> CommandLineWords() const = 0;

    // The folder that holds the program, without a trailing separator.
    virtual std::string ProgramFolder() const = 0;

    // The signal (SIGINT, SIGTERM, SIGHUP) that asked the run to stop, kStopByClose when the
    // window's close box did; 0 while nothing did. After it the link sends nothing but the way
    // back to 9600 baud.
    virtual int StopSignal() const { return 0; }
};

// What StopSignal answers for the close box: no signal has that number.
inline constexpr int kStopByClose = -1;

}  // namespace tovrel
