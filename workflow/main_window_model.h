#pragma once

#include <functional>
#include <string>

#include "core/progress.h"
#include "core/user_texts.h"

namespace tovrel {

// The main window without its widgets: status log, progress bar, identified-device display,
// the four command buttons, and which of the form's two pages shows. The Qt view redraws
// from this state after every change (onChanged) without taking user input.
class MainWindowModel : public ProgressSink {
  public:
    // Appends text to the status log, then CR LF when endLine; the caret goes to the end.
    void AppendStatus(const std::string& text, bool endLine = false);
    // Appends text as a line of its own: at once when the log stands at the start of a line,
    // else as soon as the line under way has ended.
    void AppendWholeLine(const std::string& text);
    const std::string& Status() const { return m_status; }
    int StatusCaret() const { return m_caret; }

    void SetPelliconText(const std::string& text);
    const std::string& PelliconText() const { return m_pelliconText; }

    void DisableButtons();
    void EnableButtons();
    struct Buttons {
        bool ResetButton = true, RunButton = true, ConfButton = true, DownloadButton = true;
    };
    const Buttons& CommandButtons() const { return m_buttons; }

    // The form's pages: the main window ("Tovrel") or the configuration panel ("Configuration").
    void ShowConfigurationPage(bool show);
    bool ConfigurationPageShown() const { return m_configurationShown; }
    std::string Caption() const {
        return m_configurationShown ? kConfigurationCaption : kProgramTitle;
    }

    // The progress bar: shown from 0 to max at the beginning, hidden at the end.
    void Begin(int max) override;
    void Step(int value) override;
    void End() override;
    struct Progress {
        bool visible = false;
        int min = 0, max = 100, value = 0;
    };
    const Progress& ProgressState() const { return m_progress; }

    // Observers: the view, and the console that echoes the log of a headless run.
    std::function<void()> onChanged;
    std::function<void(const std::string& appended)> onStatusAppended;

  private:
    void Changed();
    std::string m_status;
    std::string m_waitingLine;
    int m_caret = 0;
    std::string m_pelliconText;
    Buttons m_buttons;
    bool m_configurationShown = false;
    Progress m_progress;
};

}  // namespace tovrel
