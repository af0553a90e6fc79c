#include "workflow/tovrel_form.h"

#include "config/command_line.h"
#include "link/port_names.h"
#include "link/reset.h"

namespace tovrel {

TovrelForm::TovrelForm(Host& host, SerialPort& port, SettingsStore& store)
    : m_host(host),
      m_port(port),
      m_store(store),
      m_panel(m_settings, host),
      m_link{m_settings, m_port, m_host,
             [this](int comport) { return PortDevicePath(comport, m_store); }} {}

bool TovrelForm::IsCommandLineRun() const { return !m_host.CommandLineWords().empty(); }

void TovrelForm::SetLineOptions(std::optional<LineSequence> before,
                                std::optional<LineSequence> after) {
    m_beforeOption = std::move(before);
    m_afterOption = std::move(after);
}

void TovrelForm::UsePort(std::int16_t comport, const std::string& devicePath) {
    m_fixedComport = comport;
    if (devicePath.empty()) return;
    m_link.portPath = [devicePath](int) { return devicePath; };
    // The device path names the port wherever the user reads about it.
    m_link.portLabel = devicePath;
}

void TovrelForm::LoadForm() {
    LoadDefaultData(m_settings);
    m_mainWindow.ShowConfigurationPage(false);
    // A command-line run works from the defaults and what its switches set. Its start-up
    // identification goes to the port it names: a run for COM4 leaves whatever is on COM1 alone.
    if (!IsCommandLineRun()) {
        m_panel.SetText(m_panel.FrequencyTextbox, LoadSavedData(m_settings, m_store));
    } else {
        m_settings.Comport = CommandLineComport(m_host.CommandLineWords(), m_settings.Comport);
    }
    if (m_fixedComport != 0) m_settings.Comport = m_fixedComport;
    m_panel.FillCOMPortList();
    m_panel.UpdateConfigurationWindow();
    LoadModemLines();
}

void TovrelForm::LoadModemLines() {
    const auto load = [this](const std::optional<LineSequence>& option, bool before,
                             LineSequence& sequence) {
        if (option) {
            sequence = *option;
            return;
        }
        std::string badStep;
        const std::optional<LineSequence> stored =
            StoredLineSequence(m_store, before ? kBeforeLinesKey : kAfterLinesKey, badStep);
        // A sequence that is wrong is not used in part: the lines are then left alone.
        if (!stored) Warn(BadStoredLinesMessage(before, badStep));
        sequence = stored.value_or(LineSequence{});
    };
    load(m_beforeOption, true, m_link.lines.before);
    load(m_afterOption, false, m_link.lines.after);
}

void TovrelForm::Form_Load() {
    LoadForm();
    m_mainWindow.DisableButtons();
    m_settings.ChecksumMismatch = false;
    IdentifyAtStartUp();
    m_mainWindow.EnableButtons();
    if (IsCommandLineRun()) {
        SetInputArgs(m_panel, m_settings, m_host.CommandLineWords());
        DownloadButton_Click();
        Form_QueryUnload();
        return;
    }
    m_panel.UpdateConfigurationData();
}

void TovrelForm::LoadForBench(bool identify) {
    LoadForm();
    m_settings.ChecksumMismatch = false;
    if (identify) {
        m_mainWindow.DisableButtons();
        IdentifyAtStartUp();
        m_mainWindow.EnableButtons();
    }
    SetInputArgs(m_panel, m_settings, m_host.CommandLineWords());
}

void TovrelForm::IdentifyAtStartUp() {
    if (!OpenCommPort(m_link)) {
        Warn(PortHeldMessage());
        return;
    }
    if (Reset(m_link)) {
        CloseCommPort(m_link);
        m_panel.UpdateConfigurationWindow();
        m_mainWindow.SetPelliconText(IdentificationDisplay(m_settings));
    }
    CloseCommPort(m_link);
}

void TovrelForm::Form_QueryUnload() {
    SaveSavedData(m_settings, m_store);
    // Settings that cannot be written are said to be lost, not lost silently.
    if (const std::optional<std::string> file = m_store.Flush())
        Warn(SettingsNotSavedMessage(*file));
    m_unloaded = true;
}

void TovrelForm::CloseDuringCommand() { m_mainWindow.AppendWholeLine(kClosingDuringCommandLine); }

void TovrelForm::ConfButton_Click() {
    m_mainWindow.DisableButtons();
    m_panel.UpdateConfigurationData();
    m_mainWindow.ShowConfigurationPage(true);
    m_mainWindow.EnableButtons();
}

void TovrelForm::OKButton_Click() {
    if (!m_panel.UpdateConfigurationData()) return;  // the panel stays open
    m_mainWindow.ShowConfigurationPage(false);
    m_mainWindow.EnableButtons();
}

void TovrelForm::CancelButton_Click() {
    m_panel.UpdateConfigurationWindow();
    m_mainWindow.ShowConfigurationPage(false);
    m_mainWindow.EnableButtons();
}

}  // namespace tovrel
