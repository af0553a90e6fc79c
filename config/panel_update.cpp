// Copying between the panel's controls and the record, in both directions.
#include <cstdint>
#include <string>

#include "config/configuration_panel.h"
#include "core/bytes.h"
#include "core/numbers.h"

namespace tovrel {
namespace {

bool IsOption(int value) { return value >= 0 && value < kOptionCount; }

}  // namespace

void ConfigurationPanel::UpdateConfigurationWindow() {
    ChangeScope scope(*this);
    const Settings& s = m_settings;
    COMPortListIndex = s.Comport - 1;
    UpdatePortDevice();
    if (IsOption(s.XTAL)) Select(Option::XtalButton, s.XTAL);
    Select(Option::EraseCodeButton, s.EraseMode ? kEraseCodeAndData : kEraseCodeOnly);
    if (IsOption(s.DownloadMode)) Select(Option::DownloadCodeButton, s.DownloadMode);
    UpdateSecurityWindow();
    if (s.RunAddress != 0) {
        Select(Option::RunAddressButton, kRunFromAddress);
        RunAddressTextbox.text = HexText(s.RunAddress);
    } else {
        Select(Option::RunAddressButton, kRunFromStart);
    }
    SetChecked(Check::RunAfterDownloadButton, s.RunAfterDownload);
    UpdateVerifyWindow();
    UpdateBootloadWindow();
}

void ConfigurationPanel::UpdateSecurityWindow() {
    if (!m_settings.SecurityBitsOption) {
        LockModeButton.enabled = SecureModeButton.enabled = SerialSafeModeButton.enabled = false;
        return;
    }
    LockModeButton.enabled = SecureModeButton.enabled = SerialSafeModeButton.enabled = true;
    SetChecked(Check::LockModeButton, m_settings.LockMode);
    SetChecked(Check::SecureModeButton, m_settings.SecureMode);
    SetChecked(Check::SerialSafeModeButton, m_settings.SerialSafeMode);
}

void ConfigurationPanel::UpdateVerifyWindow() {
    if (!m_settings.VerifyAfterDownloadOption) {
        GenerateVResultCheck.visible = false;
        VerifyAfterDownloadButton.enabled = false;
        return;
    }
    VerifyAfterDownloadButton.enabled = true;
    SetChecked(Check::GenerateVResultCheck, m_settings.GenVerifyFiles);
    if (!m_settings.VerifyAfterDownload) {
        GenerateVResultCheck.visible = false;
        SetChecked(Check::VerifyAfterDownloadButton, false);
    } else {
        GenerateVResultCheck.visible = true;
        SetChecked(Check::VerifyAfterDownloadButton, true);
    }
}

void ConfigurationPanel::UpdateBootloadWindow() {
    if (!m_settings.BootloadOption) {
        BootloadOptionButton.enabled = false;
        return;
    }
    BootloadOptionButton.enabled = true;
    if (m_settings.Bootload) {
        SetChecked(Check::BootloadOptionButton, true);
        RunAddressTextbox.text = kBootloadRunAddress;
        Select(Option::RunAddressButton, kRunFromAddress);
    } else {
        SetChecked(Check::BootloadOptionButton, false);
    }
}

bool ConfigurationPanel::UpdateConfigurationData() {
    ChangeScope scope(*this);
    m_settings.Comport = static_cast<std::int16_t>(COMPortListIndex + 1);
    const bool accepted = UpdateCrystalData();
    m_settings.EraseMode = EraseCodeButton.selected != kEraseCodeOnly;
    if (IsOption(DownloadCodeButton.selected)) {
        m_settings.DownloadMode = static_cast<std::int16_t>(DownloadCodeButton.selected);
    }
    UpdateSecurityData();
    UpdateRunAddressData();
    m_settings.RunAfterDownload = RunAfterDownloadButton.checked;
    UpdateVerifyData();
    UpdateBootloadData();
    return accepted;
}

void ConfigurationPanel::UpdateSecurityData() {
    if (!m_settings.SecurityBitsOption) {
        SetChecked(Check::LockModeButton, false);
        SetChecked(Check::SecureModeButton, false);
        SetChecked(Check::SerialSafeModeButton, false);
        return;
    }
    m_settings.LockMode = LockModeButton.checked;
    m_settings.SecureMode = SecureModeButton.checked;
    m_settings.SerialSafeMode = SerialSafeModeButton.checked;
}

void ConfigurationPanel::UpdateRunAddressData() {
    if (RunAddressButton.selected == kRunFromStart) {
        m_settings.RunAddress = 0;
    } else if (RunAddressButton.selected == kRunFromAddress) {
        bool overflow = false;
        const std::uint32_t value = LeadingHex(RunAddressTextbox.text, &overflow);
        if (overflow) {
            ShowRunAddressInputError();
            m_settings.RunAddress = 0;
            return;
        }
        m_settings.RunAddress = static_cast<std::int32_t>(value);
    }
}

void ConfigurationPanel::UpdateVerifyData() {
    if (!m_settings.VerifyAfterDownloadOption) {
        VerifyAfterDownloadButton.enabled = false;
        return;
    }
    VerifyAfterDownloadButton.enabled = true;
    m_settings.VerifyAfterDownload = VerifyAfterDownloadButton.checked;
}

void ConfigurationPanel::UpdateBootloadData() {
    if (!m_settings.BootloadOption) {
        BootloadOptionButton.enabled = false;
        return;
    }
    BootloadOptionButton.enabled = true;
    if (BootloadOptionButton.checked) {
        m_settings.Bootload = true;
        // The record's run address follows only at the next copy: it was taken above.
        RunAddressTextbox.text = kBootloadRunAddress;
        Select(Option::RunAddressButton, kRunFromAddress);
    } else {
        m_settings.Bootload = false;
    }
}

}  // namespace tovrel
