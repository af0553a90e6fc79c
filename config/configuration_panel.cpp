#include "config/configuration_panel.h"

#include <limits>

#include "core/numbers.h"

namespace tovrel {

ConfigurationPanel::ConfigurationPanel(Settings& settings, Host& host)
    : m_settings(settings), m_host(host) {
    DownloadCodeButton.selected = kDownloadCodeOnly;
    EraseCodeButton.selected = kEraseCodeAndData;
    RunAddressButton.selected = kRunFromStart;
    HexFileCHKSUMLbl.visible = false;
    HexFileCHKSUM.visible = false;
    RunAddressTextbox.text = "0";
    RunAddressTextbox.enabled = false;
}

void ConfigurationPanel::Changed() {
    // The record carries the box's text to the device exchanges, which never read the panel.
    m_settings.FrequencyText = FrequencyTextbox.text;
    if (onChanged) onChanged();
}

void ConfigurationPanel::FillCOMPortList() {
    ChangeScope scope(*this);
    COMPortList.clear();
    for (int port = kFirstComport; port <= kLastComport; ++port) {
        COMPortList.push_back("COM" + std::to_string(port));
    }
}

CheckBox& ConfigurationPanel::Box(Check box) {
    switch (box) {
        case Check::LockModeButton:
            return LockModeButton;
        case Check::SecureModeButton:
            return SecureModeButton;
        case Check::SerialSafeModeButton:
            return SerialSafeModeButton;
        case Check::VerifyAfterDownloadButton:
            return VerifyAfterDownloadButton;
        case Check::GenerateVResultCheck:
            return GenerateVResultCheck;
        case Check::Check1:
            return Check1;
        case Check::RunAfterDownloadButton:
            return RunAfterDownloadButton;
        case Check::BootloadOptionButton:
            break;
    }
    return BootloadOptionButton;
}

void ConfigurationPanel::SetChecked(Check box, bool checked) {
    ChangeScope scope(*this);
    CheckBox& control = Box(box);
    if (control.checked == checked) return;
    control.checked = checked;
    RunCheckHandler(box);
}

void ConfigurationPanel::RunCheckHandler(Check box) {
    switch (box) {
        case Check::SerialSafeModeButton:
            SerialSafeModeButton_Click();
            break;
        case Check::VerifyAfterDownloadButton:
            VerifyAfterDownloadButton_Click();
            break;
        case Check::GenerateVResultCheck:
            GenerateVResultCheck_Click();
            break;
        case Check::Check1:
            Check1_Click();
            break;
        case Check::BootloadOptionButton:
            BootloadOptionButton_Click();
            break;
        // The lock, secure and run-after-download boxes have no handler: they are read
        // only when the panel is copied into the record.
        case Check::LockModeButton:
        case Check::SecureModeButton:
        case Check::RunAfterDownloadButton:
            break;
    }
}

void ConfigurationPanel::Select(Option group, int index) {
    ChangeScope scope(*this);
    int* selected = nullptr;
    switch (group) {
        case Option::XtalButton:
            selected = &XtalButton.selected;
            break;
        case Option::EraseCodeButton:
            selected = &EraseCodeButton.selected;
            break;
        case Option::DownloadCodeButton:
            selected = &DownloadCodeButton.selected;
            break;
        case Option::RunAddressButton:
            selected = &RunAddressButton.selected;
            break;
    }
    if (*selected == index) return;
    *selected = index;
    RunOptionHandler(group, index);
}

void ConfigurationPanel::RunOptionHandler(Option group, int index) {
    switch (group) {
        case Option::XtalButton:
            XtalButton_Click(index);
            break;
        case Option::EraseCodeButton:
            EraseCodeButton_Click(index);
            break;
        case Option::RunAddressButton:
            RunAddressButton_Click(index);
            break;
        case Option::DownloadCodeButton:
            break;  // read only when the panel is applied
    }
}

void ConfigurationPanel::SetText(TextBox& box, const std::string& text) {
    ChangeScope scope(*this);
    box.text = text;
}

void ConfigurationPanel::SelectPort(int index) {
    ChangeScope scope(*this);
    COMPortListIndex = index;
    UpdatePortDevice();
}

void ConfigurationPanel::ShowMessage(const UserMessage& message) {
    Changed();  // the view first shows what the message is about
    tovrel::ShowMessage(m_host, message);
}

void ConfigurationPanel::Check1_Click() {
    ChangeScope scope(*this);
    HexFileCHKSUMLbl.visible = Check1.checked;
    HexFileCHKSUM.visible = Check1.checked;
}

void ConfigurationPanel::VerifyAfterDownloadButton_Click() {
    ChangeScope scope(*this);
    GenerateVResultCheck.visible = VerifyAfterDownloadButton.checked;
}

void ConfigurationPanel::GenerateVResultCheck_Click() {
    m_settings.GenVerifyFiles = GenerateVResultCheck.checked;
}

void ConfigurationPanel::EraseCodeButton_Click(int Index) {
    ChangeScope scope(*this);
    if (Index == kEraseCodeAndData) {
        DownloadCodeButton.enabled.fill(true);
        if (m_settings.SecurityBitsOption) {
            LockModeButton.enabled = SecureModeButton.enabled = SerialSafeModeButton.enabled = true;
        }
        return;
    }
    if (Index != kEraseCodeOnly) return;
    // Erasing the code only leaves the data flash as it is, so no data may be downloaded
    // and no security mode programmed: those need the data flash erased.
    DownloadCodeButton.enabled = {false, true, false};
    Select(Option::DownloadCodeButton, kDownloadCodeOnly);
    for (Check box :
         {Check::LockModeButton, Check::SecureModeButton, Check::SerialSafeModeButton}) {
        SetChecked(box, false);
        Box(box).enabled = false;
    }
}

void ConfigurationPanel::HexFileCHKSUM_LostFocus() {
    ChangeScope scope(*this);
    const std::optional<double> number = WholeDecimalNumber(HexFileCHKSUM.text);
    const double rounded = number ? RoundHalfEven(*number) : 0.0;
    const bool fits = number && rounded >= std::numeric_limits<std::int32_t>::min() &&
                      rounded <= std::numeric_limits<std::int32_t>::max();
    if (fits) {
        m_settings.ExpectedChecksum = static_cast<std::int32_t>(rounded);
        return;
    }
    ShowMessage(ChecksumInputErrorMessage(HexFileCHKSUM.text));
    HexFileCHKSUM.text = "0";
    m_settings.ExpectedChecksum = 0;
}

void ConfigurationPanel::SerialSafeModeButton_Click() {
    if (SerialSafeModeButton.checked) ShowSerialSafeWarning();
}

void ConfigurationPanel::ShowSerialSafeWarning() {
    ChangeScope scope(*this);
    if (SerialSafeWarningVisible) return;
    SerialSafeWarningVisible = true;
    const unsigned showing = ++m_warningShowing;
    Changed();
    // An answer to a showing that has since been closed is stale and must not clear the box.
    m_host.ShowSerialSafeWarning([this, showing](bool yes) {
        if (!SerialSafeWarningVisible || showing != m_warningShowing) return;
        if (yes) {
            WarningYesButton_Click();
        } else {
            WarningNoButton_Click();
        }
    });
}

void ConfigurationPanel::WarningYesButton_Click() {
    ChangeScope scope(*this);
    SerialSafeWarningVisible = false;
}

void ConfigurationPanel::WarningNoButton_Click() {
    ChangeScope scope(*this);
    SetChecked(Check::SerialSafeModeButton, false);
    m_settings.SerialSafeMode = false;
    SerialSafeWarningVisible = false;
}

}  // namespace tovrel
