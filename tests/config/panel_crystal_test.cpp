#include <gtest/gtest.h>

#include "config/configuration_panel.h"
#include "tests/config/panel_fixture.h"

namespace tovrel {
namespace {

using testing::PanelFixture;
using testing::ShownMessage;

constexpr std::int32_t kUntouched = 1234;

ShownMessage FrequencyError(const std::string& text) {
    return {"'" + text +
                "' is not a valid input for the Other Crystal Frequency (Mhz). Please enter a "
                "valid decimal number.\r\n\r\ne.g. Use '11.095' instead of '11095200'.",
            "Tovrel"};
}

struct LostFocusCase {
    const char* typed;
    const char* shown;
    const char* kernel;  // "-": the box keeps its text
    const char* pc;
    std::int32_t pcBaudrate;
    bool fastBaudrateOption;
};
void PrintTo(const LostFocusCase& c, std::ostream* os) { *os << '"' << c.typed << '"'; }
class FrequencyLostFocus : public ::testing::TestWithParam<LostFocusCase> {};

TEST_P(FrequencyLostFocus, ShowsTheRatesOfTheTypedCrystal) {
    const LostFocusCase& c = GetParam();
    PanelFixture f;
    f.s.PCBaudrate = kUntouched;
    f.panel.KernelBaudrateTextbox.text = f.panel.PCBaudrateTextbox.text = "-";
    f.panel.SetText(f.panel.FrequencyTextbox, c.typed);
    f.panel.FrequencyTextbox_LostFocus();
    EXPECT_EQ(f.panel.FrequencyTextbox.text, c.shown);
    EXPECT_EQ(f.panel.KernelBaudrateTextbox.text, c.kernel);
    EXPECT_EQ(f.panel.PCBaudrateTextbox.text, c.pc);
    EXPECT_EQ(f.s.PCBaudrate, c.pcBaudrate);
    EXPECT_EQ(f.s.FastBaudrateOption, c.fastBaudrateOption);
    EXPECT_TRUE(f.host.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FrequencyLostFocus,
    ::testing::Values(LostFocusCase{"11.0592", "11.0592", "9600", "9599", kUntouched, true},
                      LostFocusCase{"16", "16", "13889", "14399", 14400, true},
                      LostFocusCase{"20", "20", "9600", "9600", 9600, true},
                      LostFocusCase{"0.032768", "0.032768", "28", "28", kUntouched, false},
                      LostFocusCase{"11.0592 MHz", "11.0592", "9600", "9599", kUntouched, true},
                      LostFocusCase{"7.3728", "7.3728", "6400", "6399", kUntouched, true},
                      LostFocusCase{"1.8432", "1.8432", "1600", "1599", kUntouched, false},
                      LostFocusCase{"MHz", "0", "-", "-", kUntouched, true},
                      LostFocusCase{"", "0", "-", "-", kUntouched, true},
                      LostFocusCase{"-5", "-5", "-", "-", kUntouched, true},
                      LostFocusCase{"1000", "1000", "-", "-", kUntouched, true},
                      LostFocusCase{"265.4207", "265.4207", "230400", "115199", kUntouched, true}));

TEST(FrequencyLostFocus, CrystalTooFastForAnyPcRateIsRejected) {
    PanelFixture f;
    f.s.PCBaudrate = kUntouched;
    f.panel.SetText(f.panel.FrequencyTextbox, "265.4208");
    f.panel.FrequencyTextbox_LostFocus();
    EXPECT_EQ(f.host.messages, (std::vector<ShownMessage>{FrequencyError("265.4208")}));
    EXPECT_EQ(f.panel.FrequencyTextbox.text, "11.059");
    EXPECT_EQ(f.panel.PCBaudrateTextbox.text, "9600");
    EXPECT_EQ(f.s.PCBaudrate, kUntouched);
}

TEST(CrystalButtons, OtherCrystalReadsTheBoxAndTheOthersShow9600) {
    PanelFixture f;
    f.panel.SetText(f.panel.FrequencyTextbox, "16");
    f.panel.FrequencyTextbox.enabled = false;
    f.panel.FrequencyTextbox_Click();
    EXPECT_EQ(f.panel.XtalButton.selected, 2);
    EXPECT_TRUE(f.panel.FrequencyTextbox.enabled);
    EXPECT_EQ(f.panel.PCBaudrateTextbox.text, "14399");
    EXPECT_EQ(f.s.XTAL, 4);  // the record follows only when the panel is applied
    f.panel.Select(Option::XtalButton, 1);
    EXPECT_EQ(f.panel.PCBaudrateTextbox.text, "9600");
    EXPECT_EQ(f.panel.KernelBaudrateTextbox.text, "9600");
}

struct CrystalDataCase {
    const char* text;
    bool accepted;
    std::int32_t pcBaudrate;
    std::int32_t fcore;  // kUntouched: keeps its value
    const char* textAfter;
    const char* errorFor;  // the text named by the input error, nullptr: none
};
void PrintTo(const CrystalDataCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
class OtherCrystalData : public ::testing::TestWithParam<CrystalDataCase> {};

TEST_P(OtherCrystalData, DerivesTheClockAndPcRate) {
    const CrystalDataCase& c = GetParam();
    PanelFixture f;
    f.panel.Select(Option::XtalButton, 2);
    f.s.PCBaudrate = kUntouched;
    f.s.fcore = kUntouched;
    f.panel.SetText(f.panel.FrequencyTextbox, c.text);
    EXPECT_EQ(f.panel.UpdateConfigurationData(), c.accepted);
    EXPECT_EQ(f.s.XTAL, 2);
    EXPECT_EQ(f.s.PCBaudrate, c.pcBaudrate);
    EXPECT_EQ(f.s.fcore, c.fcore);
    EXPECT_EQ(f.panel.FrequencyTextbox.text, c.textAfter);
    std::vector<ShownMessage> expected;
    if (!c.accepted) expected.push_back({"Invalid Crystal Frequency", "Warning"});
    if (c.errorFor) expected.push_back(FrequencyError(c.errorFor));
    EXPECT_EQ(f.host.messages, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OtherCrystalData,
    ::testing::Values(CrystalDataCase{"11.0592", true, 9599, 11059200, "11.0592", nullptr},
                      CrystalDataCase{"20", true, 9600, 20000000, "20", nullptr},
                      // The 14400 rule belongs to the box's lost focus, not to applying the panel.
                      CrystalDataCase{"16", true, 14399, 16000000, "16", nullptr},
                      CrystalDataCase{"0", false, kUntouched, kUntouched, "0", nullptr},
                      CrystalDataCase{"0.0", false, kUntouched, kUntouched, "0.0", nullptr},
                      CrystalDataCase{"abc", true, 9599, 11059000, "11.059", "abc"},
                      CrystalDataCase{"", true, 9599, 11059000, "11.059", ""},
                      CrystalDataCase{"11.0592 MHz", true, 9599, 11059000, "11.059", "11.0592 MHz"},
                      CrystalDataCase{"265.4208", true, kUntouched, 265420800, "11.059",
                                      "265.4208"},
                      CrystalDataCase{"265.4207", true, 115199, 265420700, "265.4207", nullptr},
                      CrystalDataCase{"0.533", true, 462, 533000, "0.533", nullptr},
                      CrystalDataCase{"0.53", true, kUntouched, 530000, "0.53", nullptr},
                      CrystalDataCase{"-5", true, kUntouched, -5000000, "-5", nullptr},
                      CrystalDataCase{"0.0000001", true, kUntouched, 0, "11.059", "0.0000001"},
                      // Too large for the clock field: one message, the clock keeps its value.
                      CrystalDataCase{"5000", true, kUntouched, kUntouched, "11.059", "5000"}));

TEST(OtherCrystalData, OverflowWithNoEarlierClockStillShowsOneMessage) {
    PanelFixture f;
    f.panel.Select(Option::XtalButton, 2);
    f.s.fcore = 0;
    f.panel.SetText(f.panel.FrequencyTextbox, "5000");
    EXPECT_TRUE(f.panel.UpdateConfigurationData());
    EXPECT_EQ(f.host.messages, (std::vector<ShownMessage>{FrequencyError("5000")}));
}

}  // namespace
}  // namespace tovrel
