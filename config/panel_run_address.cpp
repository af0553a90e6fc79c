// The run-address controls: where the user code starts after a download.
#include <cstdint>
#include <string>

#include "config/configuration_panel.h"
#include "core/numbers.h"

namespace tovrel {
namespace {

constexpr std::size_t kHexLabel = 2;
constexpr const char* kNoRunAddress = "0";

}  // namespace

void ConfigurationPanel::ShowRunAddressInputError() {
    ShowMessage(RunAddressInputErrorMessage(RunAddressTextbox.text));
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
        ShowMessage(InvalidAddressMessage());
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
