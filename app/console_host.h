#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "adapters/run_context.h"
#include "core/host.h"
#include "workflow/main_window_model.h"

namespace tovrel::app {

// The host of a headless command-line run: no window, nobody to answer a dialog.
// Standard output carries exactly the status log; everything for a person watching goes to
// standard error. Message boxes do not wait, file dialogs count as cancelled, and the
// serial-safe question is answered by what the user set beforehand.
class ConsoleHost : public Host {
  public:
    struct Options {
        std::vector<std::string> words;
        std::string programFolder;
        bool confirmSerialSafe = false;   // TOVREL_CONFIRM_SERIAL_SAFE=yes
        bool progressOnTerminal = false;  // standard error is a terminal
    };
    ConsoleHost(Options options, std::ostream& out, std::ostream& err);

    using Host::MessageBox;
    void MessageBox(const std::string& text, const std::string& title,
                    const std::string& details) override;
    std::string OpenFileDialog(const std::string& filter) override;
    void ShowSerialSafeWarning(std::function<void(bool yes)> answer) override;
    void ProcessEventsUntil(const std::function<bool()>& done) override;
    void Pause(float seconds) override;
    std::vector<std::string> CommandLineWords() const override { return m_options.words; }
    std::string ProgramFolder() const override { return m_options.programFolder; }
    std::string Translate(const char* text) const override { return m_translator.Translate(text); }
    int StopSignal() const override;

    // Observers for the main window model.
    void StatusAppended(const std::string& appended);
    void ProgressChanged(const MainWindowModel::Progress& progress);

  private:
    Options m_options;
    ProgramTranslator m_translator;
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_progressShown = false;
    int m_progressValue = -1;
    int m_progressMax = -1;
};

// The log's CR LF as "\n"; with allBreaks also a lone CR or LF as one "\n" each.
std::string ConsoleLineBreaks(const std::string& text, bool allBreaks);

inline constexpr const char* kConfirmSerialSafeVariable = "TOVREL_CONFIRM_SERIAL_SAFE";

}  // namespace tovrel::app
