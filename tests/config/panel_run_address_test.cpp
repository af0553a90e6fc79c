#include <gtest/gtest.h>

#include "config/configuration_panel.h"
#include "tests/config/panel_fixture.h"

namespace tovrel {
namespace {

using testing::PanelFixture;
using testing::ShownMessage;

const ShownMessage kInvalidAddress{"Invalid Address", "Warning Address"};

ShownMessage RunAddressError(const std::string& text) {
    return {"'" + text +
                "' is not a valid input for the Run Address. Please enter a valid hex "
                "number.\r\n\r\ne.g. Use 'C000' instead of '0xC000'.",
            "Tovrel"};
}

struct AddressCase {
    const char* typed;
    bool bootload;
    const char* shown;
    std::int32_t runAddress;  // after the panel is applied with "Run from address:"
    std::vector<ShownMessage> messages;
};
void PrintTo(const AddressCase& c, std::ostream* os) {
    *os << '"' << c.typed << '"' << (c.bootload ? " bootload" : "");
}
class RunAddressEntry : public ::testing::TestWithParam<AddressCase> {};

TEST_P(RunAddressEntry, KeepsAddressesInsideTheCodeFlash) {
    const AddressCase& c = GetParam();
    PanelFixture f;  // 62 KB of code flash: F800 hex
    f.s.BootloadOption = false;
    f.panel.Select(Option::RunAddressButton, 1);
    if (c.bootload) f.panel.SetChecked(Check::BootloadOptionButton, true);
    f.panel.SetText(f.panel.RunAddressTextbox, c.typed);
    f.panel.RunAddressTextbox_LostFocus();
    EXPECT_EQ(f.panel.RunAddressTextbox.text, c.shown);
    EXPECT_EQ(f.host.messages, c.messages);
    f.panel.UpdateConfigurationData();
    EXPECT_EQ(f.s.RunAddress, c.runAddress);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RunAddressEntry,
    ::testing::Values(
        AddressCase{"C000", false, "C000", 0xC000, {}},
        AddressCase{"F800", false, "F800", 0xF800, {}},
        AddressCase{"F801", false, "0", 0, {kInvalidAddress}},
        AddressCase{"10000", false, "0", 0, {kInvalidAddress}},
        AddressCase{"10000", true, "E000", 0xE000, {kInvalidAddress}},
        AddressCase{"e000", false, "e000", 57344, {}}, AddressCase{"12G4", false, "12G4", 0x12, {}},
        AddressCase{" 1 2", false, " 1 2", 0x12, {}}, AddressCase{"0xC000", false, "0xC000", 0, {}},
        AddressCase{"XYZ", false, "XYZ", 0, {}},
        AddressCase{"FFFFFFFF", false, "0", 0, {kInvalidAddress}},
        AddressCase{"100000000", false, "0", 0, {RunAddressError("100000000")}},
        AddressCase{"100000000", true, "E000", 0xE000, {RunAddressError("100000000")}}));

TEST(RunAddressEntry, ApplyingAnOverlongAddressRejectsIt) {
    PanelFixture f;
    f.panel.Select(Option::RunAddressButton, 1);
    f.panel.SetText(f.panel.RunAddressTextbox, "123456789");
    f.panel.UpdateConfigurationData();
    EXPECT_EQ(f.s.RunAddress, 0);
    EXPECT_EQ(f.panel.RunAddressTextbox.text, "0");
    EXPECT_EQ(f.host.messages, (std::vector<ShownMessage>{RunAddressError("123456789")}));
}

TEST(RunAddressButtons, OnlyRunFromAddressMakesTheBoxEditable) {
    PanelFixture f;
    f.panel.Select(Option::RunAddressButton, 1);
    EXPECT_TRUE(f.panel.RunAddressTextbox.enabled);
    f.panel.Select(Option::RunAddressButton, 0);
    EXPECT_FALSE(f.panel.RunAddressTextbox.enabled);
}

TEST(BootloadBox, CheckingFixesE000AndClearingFreesTheAddress) {
    PanelFixture f;
    f.panel.Select(Option::RunAddressButton, 1);
    f.panel.SetText(f.panel.RunAddressTextbox, "1234");
    f.panel.SetChecked(Check::BootloadOptionButton, true);
    EXPECT_EQ(f.panel.RunAddressTextbox.text, "E000");
    EXPECT_FALSE(f.panel.RunAddressTextbox.enabled || f.panel.RunAddressButton.enabled[0] ||
                 f.panel.RunAddressButton.enabled[1] || f.panel.Label1[2].enabled);
    f.panel.SetChecked(Check::BootloadOptionButton, false);
    EXPECT_EQ(f.panel.RunAddressTextbox.text, "0");
    EXPECT_EQ(f.panel.RunAddressButton.selected, 0);
    EXPECT_FALSE(f.panel.RunAddressTextbox.enabled);  // "Run from start" was selected
    EXPECT_TRUE(f.panel.RunAddressButton.enabled[0] && f.panel.RunAddressButton.enabled[1] &&
                f.panel.Label1[2].enabled);
}

}  // namespace
}  // namespace tovrel
