// The run-address controls: where the user code starts after a download.
#include <cstdint>
#include <string>

#include "config/configuration_panel.h"
#include "config/numbers.h"

namespace tovrel {
namespace {

constexpr int kRunFromStart = 0;
constexpr int kRunFromAddress = 1;
constexpr std::size_t kHexLabel = 2;
constexpr const char* kBootloadRunAddress = "E000";  // where the loader enters user code
constexpr const char* kNoRunAddress = "0";

std::string RunAddressInputErrorText(const std::string& text) {
    return "'" + text + "'" +
           " is not a valid input for the Run Address. Please enter a valid hex number." +
           "\r\n\r\n" + "e.g. Use 'C000' instead of '0xC000'.";
}

}  // namespace

void ConfigurationPanel::ShowRunAddressInputError() {
    ShowMessage(RunAddressInputErrorText(RunAddressTextbox.text), kProgramTitle);
    RunAddressTextbox.text = kNoRunAddress;
}

void ConfigurationPanel::RunAddressTextbox_LostFocus() {
    ChangeScope scope(*this);
    bool overflow = false;
    const std::uint32_t value = LeadingHex(RunAddressTextbox.text, &overflow);
    if (overflow) {
        ShowRunAddressInputError();
    } else if (static_cast<std::int64_t>(value) > m_settings.CodeSize) {
        RunAddressTextbox.text = kNoRunAddress;
        ShowMessage("Invalid Address", "Warning Address");
    }
    if (BootloadOptionButton.checked) RunAddressTextbox.text = kBootloadRunAddress;
}

void ConfigurationPanel::RunAddressButton_Click(int /*Index*/) {
    ChangeScope scope(*this);
    RunAddressTextbox.enabled = RunAddressButton.selected == kRunFromAddress;
}

void ConfigurationPanel::BootloadOptionButton_Click() {
    ChangeScope scope(*this);
    // In bootload mode the loader always enters the user code at E000, so the address is
    // fixed while the box is checked.
    const bool editable = !BootloadOptionButton.checked;
    RunAddressTextbox.text = editable ? kNoRunAddress : kBootloadRunAddress;
    RunAddressButton.enabled[kRunFromAddress] = editable;
    RunAddressTextbox.enabled = editable;
    Label1[kHexLabel].enabled = editable;
    RunAddressButton.enabled[kRunFromStart] = editable;
    if (editable) Select(Option::RunAddressButton, kRunFromStart);
}

}  // namespace tovrel
