#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/host.h"
#include "core/options.h"
#include "core/settings.h"
#include "core/user_texts.h"
#include "link/port_names.h"
#include "link/serial_ports.h"

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

// In bootload mode the loader always enters the user code here.
inline constexpr const char* kBootloadRunAddress = "E000";

// The configuration panel without its window: every control the logic reads or writes, and
// every handler. Setting a check box or selecting an option button from code runs its click
// handler whenever the value changes, exactly as a user's click does. The Qt view mirrors
// this state after every change (onChanged) and forwards the user's events to it.
class ConfigurationPanel {
  public:
    // The controls start in their design state: "Download CODE ONLY", "Erase the CODE and
    // DATA" and "Run from start" selected, no crystal, every box cleared, the checksum
    // label and box hidden, the run-address box disabled.
    ConfigurationPanel(Settings& settings, Host& host);
    ConfigurationPanel(const ConfigurationPanel&) = delete;
    ConfigurationPanel& operator=(const ConfigurationPanel&) = delete;

    // Controls.
    std::vector<std::string> COMPortList;  // "COM1" .. "COM32", filled at start-up
    int COMPortListIndex = 0;
    void FillCOMPortList();
    // Beside the list: the device the chosen COMn opens ("/dev/ttyS0", a USB adapter by what
    // it tells of itself, "(no such device)" when the path leads nowhere).
    std::string PortDeviceLbl;
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
    // The list entry chosen by the user or by code (no handler).
    void SelectPort(int index);

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
    // The serial-safe warning dialog (non-modal) and its buttons. Showing it while it is
    // already open only leaves it open: its one answer serves every caller.
    void ShowSerialSafeWarning();
    void WarningYesButton_Click();
    void WarningNoButton_Click();

    // The value of FrequencyTextbox as the sequences read it.
    double FrequencyValue() const;

    // Where COMn leads, and the serial devices of this computer (none without a finder): the
    // form's to give.
    std::function<PortMapping(int comport)> mapPort;
    const PortFinder* portFinder = nullptr;
    // The "Device..." button: the devices it offers, and the one chosen for the chosen COMn.
    std::vector<DetectedPort> DetectedPorts() const;
    // Where the chosen COMn leads now, a device chosen for it since the panel opened included.
    PortMapping ChosenPortMapping() const;
    void DeviceButton_Click(const DetectedPort& chosen);
    // The devices chosen since the panel opened, by COMn, each by the path that survives
    // re-plugging; OK stores them in the settings' [Ports] section, Cancel forgets them.
    const std::map<int, std::string>& PortChoices() const { return m_portChoices; }
    void ForgetPortChoices();

  private:
    // Collects nested changes so that the view hears once per outermost operation, and
    // before every message box so that it shows the state the message refers to.
    class ChangeScope {
      public:
        explicit ChangeScope(ConfigurationPanel& panel) : m_panel(panel) {
            ++m_panel.m_changeDepth;
        }
        ~ChangeScope() {
            if (--m_panel.m_changeDepth == 0) m_panel.Changed();
        }
        ChangeScope(const ChangeScope&) = delete;
        ChangeScope& operator=(const ChangeScope&) = delete;

      private:
        ConfigurationPanel& m_panel;
    };
    void Changed();
    void RunCheckHandler(Check box);
    void RunOptionHandler(Option group, int index);

    void UpdateSecurityWindow();
    void UpdateVerifyWindow();
    void UpdateBootloadWindow();
    bool UpdateCrystalData();
    bool UpdateOtherCrystalData();
    void UpdateSecurityData();
    void UpdateRunAddressData();
    void UpdateVerifyData();
    void UpdateBootloadData();
    void ShowFrequencyInputError();
    void ShowRunAddressInputError();
    void ShowMessage(const UserMessage& message);
    void UpdatePortDevice();

    Settings& m_settings;
    Host& m_host;
    int m_changeDepth = 0;
    unsigned m_warningShowing = 0;  // which showing of the warning an answer belongs to
    std::map<int, std::string> m_portChoices;
};

}  // namespace tovrel
