#pragma once

#include <string>

#include "config/configuration_panel.h"
#include "config/settings.h"
#include "link/host.h"
#include "link/link.h"
#include "link/serial_port.h"
#include "workflow/main_window_model.h"

namespace tovrel {

// The main form's logic: its two pages' models and every command handler, free of widgets.
// One instance per program run; it owns the record.
class TovrelForm {
public:
    TovrelForm(Host& host, SerialPort& port, SettingsStore& store);

    // Start-up (defaults, saved settings for an interactive start, port list, one
    // identification attempt; a command-line run then downloads and closes) and shut-down.
    void Form_Load();
    void Form_QueryUnload();

    void ResetButton_Click();
    void DownloadButton_Click();
    void RunButton_Click();
    void ConfButton_Click();
    void OKButton_Click();
    void CancelButton_Click();

    // True once a command-line run has finished and the form has been unloaded.
    bool Unloaded() const { return m_unloaded; }
    // Exit status of a command-line run: 0 when the reset and every step that ran succeeded.
    int ExitStatus() const { return m_failed ? 1 : 0; }

    Settings& settings() { return m_settings; }
    ConfigurationPanel& panel() { return m_panel; }
    MainWindowModel& mainWindow() { return m_mainWindow; }

private:
    Host& m_host;
    SerialPort& m_port;
    SettingsStore& m_store;
    Settings m_settings;
    ConfigurationPanel m_panel;
    MainWindowModel m_mainWindow;
    Link m_link;
    bool m_unloaded = false;
    bool m_failed = false;
};

}  // namespace tovrel
