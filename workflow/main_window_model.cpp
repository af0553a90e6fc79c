#include "workflow/main_window_model.h"

#include "core/text_file.h"

namespace tovrel {

void MainWindowModel::AppendStatus(const std::string& text, bool endLine) {
    std::string appended = text;
    if (endLine) appended += kLineEnd;
    if (endLine && !m_waitingLine.empty()) {
        appended += m_waitingLine + kLineEnd;
        m_waitingLine.clear();
    }
    m_status += appended;
    // The caret at the end keeps the last line in view.
    m_caret = static_cast<int>(m_status.size());
    if (onStatusAppended) onStatusAppended(appended);
    Changed();
}

void MainWindowModel::AppendWholeLine(const std::string& text) {
    if (m_status.empty() || m_status.back() == '\n') {
        AppendStatus(text, true);
        return;
    }
    // Never inside a step's line: "ERASING CODE " waits for its "AND DATA... OK".
    if (!m_waitingLine.empty()) m_waitingLine += kLineEnd;
    m_waitingLine += text;
}

void MainWindowModel::SetPelliconText(const std::string& text) {
    m_pelliconText = text;
    Changed();
}

void MainWindowModel::DisableButtons() {
    m_buttons.ResetButton = false;
    m_buttons.RunButton = false;
    m_buttons.ConfButton = false;
    m_buttons.DownloadButton = false;
    Changed();
}

void MainWindowModel::EnableButtons() {
    m_buttons.ResetButton = true;
    m_buttons.RunButton = true;
    m_buttons.ConfButton = true;
    m_buttons.DownloadButton = true;
    Changed();
}

void MainWindowModel::ShowConfigurationPage(bool show) {
    m_configurationShown = show;
    Changed();
}

void MainWindowModel::Begin(int max) {
    // Range, value and visibility in one change: the bar never shows an earlier operation's
    // range for a moment.
    m_progress = {true, 0, max, 0};
    Changed();
}

void MainWindowModel::Step(int value) {
    m_progress.value = value;
    Changed();
}

void MainWindowModel::End() {
    m_progress.visible = false;
    Changed();
}

void MainWindowModel::Changed() {
    if (onChanged) onChanged();
}

}  // namespace tovrel
