#include "config/configuration_panel.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/config/panel_fixture.h"

namespace tovrel {
namespace {

using testing::PanelFixture;
using testing::ShownMessage;
using Messages = std::vector<ShownMessage>;

constexpr std::int32_t kUntouched = 1234;
const ShownMessage kInvalidAddress{"Invalid Address", "Warning Address"};

bool SecurityBoxes(const ConfigurationPanel& p, bool CheckBox::*state) {
    return p.LockModeButton.*state || p.SecureModeButton.*state || p.SerialSafeModeButton.*state;
}

// The handlers run once, only when a value changes, and the view hears of a chain once.
TEST(EraseMode, CodeOnlyForcesCodeDownloadAndClearsTheSecurityBoxes) {
    PanelFixture f;
    f.Fill();
    f.host.serialSafeAnswers = {true};
    f.panel.Select(Option::DownloadCodeButton, 0);
    f.panel.SetChecked(Check::LockModeButton, true);
    f.panel.SetChecked(Check::SerialSafeModeButton, true);
    f.panel.SetChecked(Check::SerialSafeModeButton, true);
    int changes = 0;
    f.panel.onChanged = [&] { ++changes; };
    f.panel.Select(Option::EraseCodeButton, 0);  // clearing the serial-safe box shows nothing
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(f.panel.DownloadCodeButton.selected, 1);
    EXPECT_EQ(f.panel.DownloadCodeButton.enabled, (std::array<bool, 3>{false, true, false}));
    EXPECT_FALSE(SecurityBoxes(f.panel, &CheckBox::checked) ||
                 SecurityBoxes(f.panel, &CheckBox::enabled));
    // Code and data frees the modes again, the security boxes only on a device that has them.
    f.s.SecurityBitsOption = false;
    f.panel.Select(Option::EraseCodeButton, 1);
    EXPECT_EQ(f.panel.DownloadCodeButton.enabled, (std::array<bool, 3>{true, true, true}));
    EXPECT_FALSE(SecurityBoxes(f.panel, &CheckBox::enabled));
    // A later fill: the erase-mode step clears and disables, the security step restores.
    f.s.SecurityBitsOption = f.s.LockMode = true;
    f.s.EraseMode = false;
    f.Fill();
    EXPECT_TRUE(f.panel.LockModeButton.enabled && f.panel.LockModeButton.checked);
    EXPECT_EQ(f.host.serialSafeWarningsShown, 1);
}

TEST(SerialSafeWarning, StaysOpenUntilAnsweredAndIgnoresStaleAnswers) {
    PanelFixture f;
    f.host.answerSerialSafeAtOnce = false;
    f.panel.SetChecked(Check::SerialSafeModeButton, true);
    EXPECT_TRUE(f.panel.SerialSafeWarningVisible);
    f.panel.ShowSerialSafeWarning();  // already open: no second dialog
    EXPECT_EQ(f.host.serialSafeWarningsShown, 1);
    f.panel.WarningYesButton_Click();  // answered inside the window
    f.host.serialSafeAnswers = {false};
    f.host.GiveSerialSafeAnswer();  // a late No for the closed dialog changes nothing
    EXPECT_TRUE(f.panel.SerialSafeModeButton.checked);
}

// The expected checksum takes decimal integers, a half rounded to even; anything else shows
// the input error and leaves 0.
TEST(ExpectedChecksum, TakesDecimalIntegersOf32Bits) {
    for (auto [text, expected, error] :
         {std::tuple{" 23 ", 23, false}, {"-5", -5, false}, {"2.5", 2, false},
          {"2147483647", INT32_MAX, false}, {"-2147483648", INT32_MIN, false},
          {"2147483648", 0, true}, {"2147483647.5", 0, true}, {"", 0, true}, {"0x17", 0, true},
          {"1.2.3", 0, true}}) {
        PanelFixture f;
        f.s.ExpectedChecksum = 99;
        f.panel.SetText(f.panel.HexFileCHKSUM, text);
        f.panel.HexFileCHKSUM_LostFocus();
        EXPECT_EQ(std::tie(f.s.ExpectedChecksum, f.panel.HexFileCHKSUM.text),
                  std::make_tuple(expected, error ? "0" : text));
        const ShownMessage message{std::string("'") + text +
                                       "' is not a valid input for the Expected Checksum. Please "
                                       "enter a valid decimal number.\r\n\r\ne.g. Use '23' "
                                       "instead of '0x17'.",
                                   "Tovrel"};
        EXPECT_EQ(f.host.messages, error ? Messages{message} : Messages{});
    }
}

// Typing a crystal: the rates shown for it ("-": the box keeps its text) and what the record
// takes at once (PCBaudrate only for the 14400 rule, FastBaudrateOption below 2 MHz).
TEST(FrequencyLostFocus, ShowsTheRatesOfTheTypedCrystal) {
    for (auto [typed, shown, kernel, pc, pcBaudrate, fast] :
         {std::tuple{"11.0592", "11.0592", "9600", "9599", kUntouched, true},
          {"16", "16", "13889", "14399", 14400, true},
          {"20", "20", "9600", "9600", 9600, true},
          {"0.032768", "0.032768", "28", "28", kUntouched, false},
          {"MHz", "0", "-", "-", kUntouched, true},
          {"1000", "1000", "-", "-", kUntouched, true},
          {"265.4207", "265.4207", "230400", "115199", kUntouched, true},
          {"265.4208", "11.059", "-", "-", kUntouched, true}}) {
        PanelFixture f;
        f.s.PCBaudrate = kUntouched;
        f.panel.KernelBaudrateTextbox.text = f.panel.PCBaudrateTextbox.text = "-";
        f.panel.SetText(f.panel.FrequencyTextbox, typed);
        f.panel.FrequencyTextbox_LostFocus();
        EXPECT_EQ(std::tie(f.panel.FrequencyTextbox.text, f.panel.KernelBaudrateTextbox.text,
                           f.panel.PCBaudrateTextbox.text, f.s.PCBaudrate, f.s.FastBaudrateOption),
                  std::tuple(shown, kernel, pc, pcBaudrate, fast));
        // Only a crystal too fast for any PC rate is an input error.
        const bool error = std::string(shown) == "11.059";
        EXPECT_EQ(f.host.messages, error ? Messages{testing::FrequencyError(typed)} : Messages{});
    }
}

TEST(CrystalButtons, OnlyOtherCrystalReadsTheBoxTheOthersRunAt9600) {
    PanelFixture f;
    f.panel.SetText(f.panel.FrequencyTextbox, "16");
    f.panel.FrequencyTextbox_Click();
    EXPECT_EQ(std::tie(f.panel.XtalButton.selected, f.panel.PCBaudrateTextbox.text, f.s.XTAL),
              std::make_tuple(2, "14399", 4));  // the record follows only when applied
    for (int xtal : {0, 1}) {                   // watch: keeps the clock; selectable once chosen
        f.s.PCBaudrate = 14400;
        f.panel.Select(Option::XtalButton, xtal);
        EXPECT_TRUE(f.panel.UpdateConfigurationData());
        EXPECT_EQ(std::tie(f.s.XTAL, f.s.PCBaudrate, f.s.fcore),
                  std::make_tuple(xtal, 9600, 11059200));
        EXPECT_EQ(f.panel.PCBaudrateTextbox.text + f.panel.KernelBaudrateTextbox.text, "96009600");
        EXPECT_EQ(f.panel.XtalButton.enabled[1], xtal == 1);
    }
}

// Typed into the run-address box with "Run from address:", with the bootload box checked or
// not, left (or not), then the panel applied: the text shown and the address taken.
TEST(RunAddressEntry, KeepsAddressesInsideTheCodeFlash) {
    const auto error = [](const std::string& text) {
        return ShownMessage{"'" + text +
                                "' is not a valid input for the Run Address. Please enter a valid "
                                "hex number.\r\n\r\ne.g. Use 'C000' instead of '0xC000'.",
                            "Tovrel"};
    };
    for (auto [typed, bootload, lostFocus, shown, runAddress, messages] :
         {std::tuple{"F800", false, true, "F800", 0xF800, Messages{}},  // 62 KB of code flash
          {"F801", false, true, "0", 0, Messages{kInvalidAddress}},
          {"10000", true, true, "E000", 0xE000, Messages{kInvalidAddress}},
          {"12G4", false, true, "12G4", 0x12, Messages{}},
          {"FFFFFFFF", false, true, "0", 0, Messages{kInvalidAddress}},
          {"100000000", false, true, "0", 0, Messages{error("100000000")}},
          {"100000000", true, true, "E000", 0xE000, Messages{error("100000000")}},
          {"123456789", false, false, "0", 0, Messages{error("123456789")}}}) {
        PanelFixture f;
        f.s.BootloadOption = false;
        f.panel.Select(Option::RunAddressButton, 1);
        EXPECT_TRUE(f.panel.RunAddressTextbox.enabled);
        if (bootload) f.panel.SetChecked(Check::BootloadOptionButton, true);
        f.panel.SetText(f.panel.RunAddressTextbox, typed);
        if (lostFocus) f.panel.RunAddressTextbox_LostFocus();
        f.panel.UpdateConfigurationData();
        EXPECT_EQ(std::tie(f.panel.RunAddressTextbox.text, f.s.RunAddress),
                  std::tuple(shown, runAddress));
        EXPECT_EQ(f.host.messages, messages);
    }
}

// Checking fixes E000 and clearing frees the address; checked in the panel, the record's run
// address follows one copy later; Cancel undoes it.
TEST(Bootload, FixesTheRunAddressWhileChecked) {
    PanelFixture f;
    f.panel.Select(Option::RunAddressButton, 1);
    f.panel.SetText(f.panel.RunAddressTextbox, "1234");
    f.panel.SetChecked(Check::BootloadOptionButton, true);
    EXPECT_EQ(f.panel.RunAddressTextbox.text, "E000");
    EXPECT_FALSE(f.panel.RunAddressTextbox.enabled || f.panel.RunAddressButton.enabled[0] ||
                 f.panel.RunAddressButton.enabled[1] || f.panel.Label1[2].enabled);
    f.panel.SetChecked(Check::BootloadOptionButton, false);
    EXPECT_EQ(std::tie(f.panel.RunAddressTextbox.text, f.panel.RunAddressButton.selected),
              std::make_tuple("0", 0));
    EXPECT_TRUE(f.panel.RunAddressButton.enabled[1] && f.panel.Label1[2].enabled);
    f.panel.SetChecked(Check::BootloadOptionButton, true);
    f.Fill();  // Cancel
    EXPECT_FALSE(f.panel.BootloadOptionButton.checked);
    f.panel.SetChecked(Check::BootloadOptionButton, true);
    f.panel.UpdateConfigurationData();
    EXPECT_TRUE(f.s.Bootload && f.s.RunAddress == 0);
    f.panel.UpdateConfigurationData();
    EXPECT_EQ(f.s.RunAddress, 0xE000);
}

// The configuration fields the panel carries both ways, the three security modes apart.
using Configuration = std::tuple<std::int16_t, std::int16_t, std::int16_t, bool, bool, bool, bool,
                                 std::int32_t, bool, bool, bool>;
auto Fields(Settings& s) {
    return std::tie(s.Comport, s.XTAL, s.DownloadMode, s.EraseMode, s.LockMode, s.SecureMode,
                    s.SerialSafeMode, s.RunAddress, s.RunAfterDownload, s.VerifyAfterDownload,
                    s.Bootload);
}

TEST(RoundTrip, WindowThenDataGivesTheRecordBack) {
    for (const Configuration& c :
         {Configuration{32, 1, 0, true, true, false, true, 0x1234, true, true, false},
          Configuration{7, 0, 2, true, false, true, false, 0x7FFFFFFF, false, true, false},
          Configuration{3, 1, 1, false, true, false, false, 0xE000, true, false, true}}) {
        PanelFixture f;
        f.host.serialSafeAnswers = {true};
        f.panel.Select(Option::EraseCodeButton, 0);  // controls the fill must put back
        f.panel.SetChecked(Check::RunAfterDownloadButton, true);
        Fields(f.s) = c;
        f.Fill();  // a stored serial-safe mode shows the warning once
        EXPECT_EQ(f.host.serialSafeWarningsShown, std::get<6>(c) ? 1 : 0);
        LoadDefaultData(f.s);  // back to defaults: everything must come from the controls
        EXPECT_TRUE(f.panel.UpdateConfigurationData());
        EXPECT_EQ(Configuration(Fields(f.s)), c);
        EXPECT_TRUE(f.host.messages.empty());
    }
}

// Out-of-range choices select nothing and stay; a device without an option disables its box
// and the record keeps the choice.
TEST(WindowFill, KeepsWhatTheControlsCannotShow) {
    PanelFixture f;
    f.s.DownloadMode = 7;
    f.s.SecurityBitsOption = f.s.VerifyAfterDownloadOption = f.s.BootloadOption = false;
    f.s.LockMode = f.s.VerifyAfterDownload = f.s.Bootload = true;
    f.panel.SetChecked(Check::LockModeButton, true);
    f.Fill();  // XTAL 4 by default
    EXPECT_EQ(f.panel.XtalButton.selected, -1);
    EXPECT_EQ(f.panel.DownloadCodeButton.selected, 1);  // left as the design state had it
    EXPECT_FALSE(f.panel.SecureModeButton.enabled || f.panel.VerifyAfterDownloadButton.enabled ||
                 f.panel.GenerateVResultCheck.visible || f.panel.BootloadOptionButton.enabled);
    EXPECT_TRUE(f.panel.LockModeButton.checked);  // left as it was
    f.panel.DownloadCodeButton.selected = -1;
    f.panel.UpdateConfigurationData();
    EXPECT_FALSE(f.panel.LockModeButton.checked);
    EXPECT_EQ(std::tie(f.s.DownloadMode, f.s.XTAL), std::make_tuple(7, 4));
    EXPECT_TRUE(f.s.LockMode && f.s.VerifyAfterDownload && f.s.Bootload && f.s.RunAddress == 0);
}

}  // namespace
}  // namespace tovrel
