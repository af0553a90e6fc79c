#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "link/host.h"

namespace tovrel {

// State of one check box, text box or label as the logic sees it.
struct CheckBox {
    bool checked = false;
    bool enabled = true;
    bool visible = true;
};
struct TextBox {
    std::string text;
    bool enabled = true;
    bool visible = true;
};
struct Label {
    bool enabled = true;
    bool visible = true;
};
// A control array of option buttons: at most one selected (-1: none).
template <std::size_t N>
struct OptionGroup {
    int selected = -1;
    std::array<bool, N> enabled{};
    OptionGroup() { enabled.fill(true); }
};

enum class Check {
    LockModeButton,
    SecureModeButton,
    SerialSafeModeButton,
    VerifyAfterDownloadButton,
    GenerateVResultCheck,
    Check1,
    RunAfterDownloadButton,
    BootloadOptionButton,
};
enum class Option { XtalButton, EraseCodeButton, DownloadCodeButton, RunAddressButton };

// The configuration panel without its window: every control the logic reads or writes, and
// every handler. Setting a check box or selecting an option button from code runs its click
// handler whenever the value changes, exactly as a user's click does. The Qt view mirrors
// this state after every change (onChanged) and forwards the user's events to it.
class ConfigurationPanel {
public:
    ConfigurationPanel(Settings& settings, Host& host);

    // Controls.
    std::vector<std::string> COMPortList;  // "COM1" .. "COM32", filled at start-up
    int COMPortListIndex = 0;
    OptionGroup<3> XtalButton;
    TextBox FrequencyTextbox;
    TextBox PCBaudrateTextbox{"9600"};
    TextBox KernelBaudrateTextbox{"9600"};
    OptionGroup<2> EraseCodeButton;
    OptionGroup<3> DownloadCodeButton;
    CheckBox LockModeButton, SecureModeButton, SerialSafeModeButton;
    CheckBox VerifyAfterDownloadButton, GenerateVResultCheck, Check1;
    Label HexFileCHKSUMLbl;
    TextBox HexFileCHKSUM;
    CheckBox RunAfterDownloadButton;
    OptionGroup<2> RunAddressButton;
    TextBox RunAddressTextbox;
    std::array<Label, 3> Label1;  // index 2 is the "Hex" after the run address
    CheckBox BootloadOptionButton;
    bool SerialSafeWarningVisible = false;

    // Called after every change of state, for the view.
    std::function<void()> onChanged;

    // Changing state from code or from the view: runs the handler when the value changes.
    void SetChecked(Check box, bool checked);
    void Select(Option group, int index);
    CheckBox& Box(Check box);
    // Text typed by the user or set by code (no handler runs until the box loses focus).
    void SetText(TextBox& box, const std::string& text);

    // Settings to controls, and controls to settings (false when the crystal is 0).
    void UpdateConfigurationWindow();
    bool UpdateConfigurationData();

    // Crystal handlers.
    void XtalButton_Click(int Index);
    void FrequencyTextbox_Click();
    void FrequencyTextbox_LostFocus();
    // Run-address handlers.
    void RunAddressTextbox_LostFocus();
    void RunAddressButton_Click(int Index);
    void BootloadOptionButton_Click();
    // Other handlers.
    void HexFileCHKSUM_LostFocus();
    void EraseCodeButton_Click(int Index);
    void Check1_Click();
    void VerifyAfterDownloadButton_Click();
    void GenerateVResultCheck_Click();
    void SerialSafeModeButton_Click();
    // The serial-safe warning dialog (non-modal) and its buttons.
    void ShowSerialSafeWarning();
    void WarningYesButton_Click();
    void WarningNoButton_Click();

    // The value of FrequencyTextbox as the sequences read it.
    double FrequencyValue() const;

private:
    void Changed();
    Settings& m_settings;
    Host& m_host;
};

}  // namespace tovrel
