#include "config/configuration_panel.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/config/panel_fixture.h"

namespace tovrel {
namespace {

using testing::FrequencyError;
using testing::PanelFixture;
using testing::ShownMessage;
using Messages = std::vector<ShownMessage>;

constexpr std::int32_t kUntouched = 1234;
const ShownMessage kInvalidAddress{"Invalid Address", "Warning Address"};

ShownMessage RunAddressError(const std::string& text) {
    return {"'" + text +
                "' is not a valid input for the Run Address. Please enter a valid hex "
                "number.\r\n\r\ne.g. Use 'C000' instead of '0xC000'.",
            "Tovrel"};
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
    for (Check box :
         {Check::LockModeButton, Check::SecureModeButton, Check::SerialSafeModeButton}) {
        EXPECT_FALSE(f.panel.Box(box).checked || f.panel.Box(box).enabled);
    }
    f.panel.DownloadCodeButton.enabled.fill(false);
    f.panel.Select(Option::EraseCodeButton, 0);  // selected already: nothing re-enabled
    EXPECT_FALSE(f.panel.DownloadCodeButton.enabled[1]);
    // A later fill: the erase-mode step clears and disables, the security step restores.
    f.s.EraseMode = false;
    f.s.LockMode = true;
    f.Fill();
    EXPECT_TRUE(f.panel.LockModeButton.enabled && f.panel.LockModeButton.checked);
    EXPECT_EQ(f.host.serialSafeWarningsShown, 1);
}

TEST(EraseMode, CodeAndDataEnablesSecurityOnlyWhenTheDeviceHasIt) {
    for (bool securityBits : {true, false}) {
        PanelFixture f;
        f.s.SecurityBitsOption = securityBits;
        f.panel.Select(Option::EraseCodeButton, 0);
        f.panel.Select(Option::EraseCodeButton, 1);
        EXPECT_EQ(f.panel.DownloadCodeButton.enabled, (std::array<bool, 3>{true, true, true}));
        EXPECT_EQ(f.panel.LockModeButton.enabled && f.panel.SerialSafeModeButton.enabled,
                  securityBits);
    }
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

TEST(CheckBoxes, ChecksumBoxFollowsCheck1AndVerifyFilesFollowTheirBox) {
    PanelFixture f;
    f.panel.SetChecked(Check::Check1, true);
    EXPECT_TRUE(f.panel.HexFileCHKSUM.visible && f.panel.HexFileCHKSUMLbl.visible);
    f.panel.SetChecked(Check::Check1, false);
    EXPECT_FALSE(f.panel.HexFileCHKSUM.visible || f.panel.HexFileCHKSUMLbl.visible);
    f.panel.SetChecked(Check::VerifyAfterDownloadButton, true);
    f.panel.SetChecked(Check::GenerateVResultCheck, true);
    EXPECT_TRUE(f.panel.GenerateVResultCheck.visible && f.s.GenVerifyFiles);
    f.panel.SetChecked(Check::VerifyAfterDownloadButton, false);
    EXPECT_FALSE(f.panel.GenerateVResultCheck.visible);
    f.s.VerifyAfterDownload = f.s.GenVerifyFiles = true;  // and the stored choices fill them
    f.Fill();
    EXPECT_TRUE(f.panel.GenerateVResultCheck.visible && f.panel.GenerateVResultCheck.checked);
}

// The expected checksum takes decimal integers, a half rounded to even; anything else shows
// the input error and leaves 0.
class ExpectedChecksum
    : public ::testing::TestWithParam<std::tuple<const char*, std::int32_t, bool>> {};

TEST_P(ExpectedChecksum, Rows) {
    const auto [text, expected, error] = GetParam();
    PanelFixture f;
    f.s.ExpectedChecksum = 99;
    f.panel.SetText(f.panel.HexFileCHKSUM, text);
    f.panel.HexFileCHKSUM_LostFocus();
    EXPECT_EQ(std::tie(f.s.ExpectedChecksum, f.panel.HexFileCHKSUM.text),
              std::make_tuple(expected, error ? "0" : text));
    const std::string message = std::string("'") + text +
                                "' is not a valid input for the Expected Checksum. Please enter a "
                                "valid decimal number.\r\n\r\ne.g. Use '23' instead of '0x17'.";
    EXPECT_EQ(f.host.messages, error ? Messages(1, {message, "Tovrel"}) : Messages{});
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ExpectedChecksum, ::testing::Values(
    std::tuple{" 23 ", 23, false}, std::tuple{"-5", -5, false}, std::tuple{"2.5", 2, false},
    std::tuple{"2147483647", 2147483647, false}, std::tuple{"-2147483648", INT32_MIN, false},
    std::tuple{"2147483648", 0, true}, std::tuple{"2147483647.5", 0, true},
    std::tuple{"", 0, true}, std::tuple{"0x17", 0, true}, std::tuple{"1.2.3", 0, true}));
// clang-format on

// Typing a crystal: the rates shown for it ("-": the box keeps its text) and what the record
// takes at once (PCBaudrate only for the 14400 rule, FastBaudrateOption below 2 MHz).
struct LostFocusCase {
    const char *typed, *shown, *kernel, *pc;
    std::int32_t pcBaudrate = kUntouched;
    bool fastBaudrateOption = true;
    friend void PrintTo(const LostFocusCase& c, std::ostream* os) { *os << '"' << c.typed << '"'; }
};
class FrequencyLostFocus : public ::testing::TestWithParam<LostFocusCase> {};

TEST_P(FrequencyLostFocus, ShowsTheRatesOfTheTypedCrystal) {
    const LostFocusCase& c = GetParam();
    PanelFixture f;
    f.s.PCBaudrate = kUntouched;
    f.panel.KernelBaudrateTextbox.text = f.panel.PCBaudrateTextbox.text = "-";
    f.panel.SetText(f.panel.FrequencyTextbox, c.typed);
    f.panel.FrequencyTextbox_LostFocus();
    EXPECT_EQ(std::tie(f.panel.FrequencyTextbox.text, f.panel.KernelBaudrateTextbox.text,
                       f.panel.PCBaudrateTextbox.text, f.s.PCBaudrate, f.s.FastBaudrateOption),
              std::make_tuple(c.shown, c.kernel, c.pc, c.pcBaudrate, c.fastBaudrateOption));
    // Only a crystal too fast for any PC rate is an input error.
    const bool error = std::string(c.shown) == "11.059";
    EXPECT_EQ(f.host.messages, error ? Messages(1, FrequencyError(c.typed)) : Messages{});
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, FrequencyLostFocus, ::testing::Values(
    LostFocusCase{"11.0592", "11.0592", "9600", "9599"},
    LostFocusCase{"16", "16", "13889", "14399", 14400},
    LostFocusCase{"20", "20", "9600", "9600", 9600},
    LostFocusCase{"0.032768", "0.032768", "28", "28", kUntouched, false},
    LostFocusCase{"MHz", "0", "-", "-"}, LostFocusCase{"1000", "1000", "-", "-"},
    LostFocusCase{"265.4207", "265.4207", "230400", "115199"},
    LostFocusCase{"265.4208", "11.059", "-", "-"}));
// clang-format on

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

// Applying the panel with "Other crystal": the clock and PC rate derived, or kept (kUntouched).
// The command-line rows cover 11.0592 and an unreadable text.
struct CrystalDataCase {
    const char* text;
    std::int32_t pcBaudrate, fcore;
    const char* textAfter;
    bool inputError = false;
    std::int32_t fcoreBefore = kUntouched;
    friend void PrintTo(const CrystalDataCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};
class OtherCrystalData : public ::testing::TestWithParam<CrystalDataCase> {};

TEST_P(OtherCrystalData, DerivesTheClockAndPcRate) {
    const CrystalDataCase& c = GetParam();
    PanelFixture f;
    f.panel.Select(Option::XtalButton, 2);
    f.s.PCBaudrate = kUntouched;
    f.s.fcore = c.fcoreBefore;
    f.panel.SetText(f.panel.FrequencyTextbox, c.text);
    const bool zero = std::string(c.text) == "0";
    EXPECT_EQ(f.panel.UpdateConfigurationData(), !zero);
    EXPECT_EQ(std::tie(f.s.XTAL, f.s.PCBaudrate, f.s.fcore, f.panel.FrequencyTextbox.text),
              std::make_tuple(2, c.pcBaudrate, c.fcore, c.textAfter));
    Messages expected;
    if (zero) expected.push_back({"Invalid Crystal Frequency", "Warning"});
    if (c.inputError) expected.push_back(FrequencyError(c.text));
    EXPECT_EQ(f.host.messages, expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, OtherCrystalData, ::testing::Values(
    // The 14400 rule belongs to the box's lost focus, not to applying the panel.
    CrystalDataCase{"16", 14399, 16000000, "16"},
    CrystalDataCase{"0", kUntouched, kUntouched, "0"},
    CrystalDataCase{"265.4208", kUntouched, 265420800, "11.059", true},
    CrystalDataCase{"265.4207", 115199, 265420700, "265.4207"},
    CrystalDataCase{"0.533", 462, 533000, "0.533"},
    CrystalDataCase{"0.53", kUntouched, 530000, "0.53"},
    CrystalDataCase{"-5", kUntouched, -5000000, "-5"},
    CrystalDataCase{"0.0000001", kUntouched, 0, "11.059", true},
    // Too large for the clock field, which keeps its 0: still one message.
    CrystalDataCase{"5000", kUntouched, 0, "11.059", true, 0}));
// clang-format on

struct AddressCase {
    const char* typed;
    bool bootload;
    const char* shown;
    std::int32_t runAddress;  // after the panel is applied with "Run from address:"
    Messages messages;
    bool lostFocus = true;
    friend void PrintTo(const AddressCase& c, std::ostream* os) { *os << '"' << c.typed << '"'; }
};
class RunAddressEntry : public ::testing::TestWithParam<AddressCase> {};

TEST_P(RunAddressEntry, KeepsAddressesInsideTheCodeFlash) {
    const AddressCase& c = GetParam();
    PanelFixture f;  // 62 KB of code flash: F800 hex
    f.s.BootloadOption = false;
    f.panel.Select(Option::RunAddressButton, 1);
    EXPECT_TRUE(f.panel.RunAddressTextbox.enabled);
    if (c.bootload) f.panel.SetChecked(Check::BootloadOptionButton, true);
    f.panel.SetText(f.panel.RunAddressTextbox, c.typed);
    if (c.lostFocus) f.panel.RunAddressTextbox_LostFocus();
    f.panel.UpdateConfigurationData();
    EXPECT_EQ(std::tie(f.panel.RunAddressTextbox.text, f.s.RunAddress),
              std::make_tuple(c.shown, c.runAddress));
    EXPECT_EQ(f.host.messages, c.messages);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, RunAddressEntry, ::testing::Values(
    AddressCase{"F800", false, "F800", 0xF800, {}},
    AddressCase{"F801", false, "0", 0, {kInvalidAddress}},
    AddressCase{"10000", true, "E000", 0xE000, {kInvalidAddress}},
    AddressCase{"12G4", false, "12G4", 0x12, {}},
    AddressCase{"FFFFFFFF", false, "0", 0, {kInvalidAddress}},
    AddressCase{"100000000", false, "0", 0, {RunAddressError("100000000")}},
    AddressCase{"100000000", true, "E000", 0xE000, {RunAddressError("100000000")}},
    // Applied without leaving the box first.
    AddressCase{"123456789", false, "0", 0, {RunAddressError("123456789")}, false}));
// clang-format on

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
    EXPECT_FALSE(f.panel.RunAddressTextbox.enabled);  // "Run from start" was selected
    EXPECT_TRUE(f.panel.RunAddressButton.enabled[0] && f.panel.RunAddressButton.enabled[1] &&
                f.panel.Label1[2].enabled);
    f.panel.SetChecked(Check::BootloadOptionButton, true);
    f.Fill();  // Cancel
    EXPECT_FALSE(f.panel.BootloadOptionButton.checked);
    f.panel.SetChecked(Check::BootloadOptionButton, true);
    f.panel.UpdateConfigurationData();
    EXPECT_TRUE(f.s.Bootload && f.s.RunAddress == 0);
    f.Fill();  // the stored choice fixes E000
    EXPECT_FALSE(f.panel.RunAddressButton.enabled[0]);
    f.panel.UpdateConfigurationData();
    EXPECT_EQ(f.s.RunAddress, 0xE000);
}

// The configuration fields the panel carries both ways.
using Configuration = std::tuple<std::int16_t, std::int16_t, std::int16_t, bool, bool, bool, bool,
                                 std::int32_t, bool, bool, bool>;
auto Fields(Settings& s) {
    return std::tie(s.Comport, s.XTAL, s.DownloadMode, s.EraseMode, s.LockMode, s.SecureMode,
                    s.SerialSafeMode, s.RunAddress, s.RunAfterDownload, s.VerifyAfterDownload,
                    s.Bootload);
}
class RoundTrip : public ::testing::TestWithParam<Configuration> {};

TEST_P(RoundTrip, WindowThenDataGivesTheRecordBack) {
    PanelFixture f;
    f.host.serialSafeAnswers = {true};
    f.panel.Select(Option::EraseCodeButton, 0);  // controls the fill must put back
    f.panel.SetChecked(Check::RunAfterDownloadButton, true);
    Fields(f.s) = GetParam();
    f.Fill();  // a stored serial-safe mode shows the warning once
    EXPECT_EQ(f.host.serialSafeWarningsShown, f.s.SerialSafeMode ? 1 : 0);
    LoadDefaultData(f.s);  // back to defaults: everything must come from the controls
    EXPECT_TRUE(f.panel.UpdateConfigurationData());
    EXPECT_EQ(Configuration(Fields(f.s)), GetParam());
    EXPECT_TRUE(f.host.messages.empty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, RoundTrip, ::testing::Values(
    Configuration{32, 1, 0, true, true, true, true, 0x1234, true, true, false},
    Configuration{7, 0, 2, true, false, true, false, 0x7FFFFFFF, false, true, false},
    Configuration{3, 1, 1, false, false, false, false, 0xE000, true, false, true}));
// clang-format on

TEST(WindowFill, OutOfRangeChoicesSelectNothingAndDataKeepsThem) {
    PanelFixture f;
    f.s.DownloadMode = 7;
    f.Fill();  // XTAL 4 by default
    EXPECT_EQ(f.panel.XtalButton.selected, -1);
    EXPECT_EQ(f.panel.DownloadCodeButton.selected, 1);  // left as the design state had it
    f.panel.DownloadCodeButton.selected = -1;
    f.panel.UpdateConfigurationData();
    EXPECT_EQ(std::tie(f.s.DownloadMode, f.s.XTAL), std::make_tuple(7, 4));
}

TEST(WindowFill, DeviceWithoutAnOptionDisablesItsBoxesAndKeepsTheChoice) {
    PanelFixture f;
    f.s.SecurityBitsOption = f.s.VerifyAfterDownloadOption = f.s.BootloadOption = false;
    f.s.LockMode = f.s.VerifyAfterDownload = f.s.Bootload = true;
    f.panel.SetChecked(Check::LockModeButton, true);
    f.Fill();
    EXPECT_FALSE(f.panel.SecureModeButton.enabled || f.panel.VerifyAfterDownloadButton.enabled ||
                 f.panel.GenerateVResultCheck.visible || f.panel.BootloadOptionButton.enabled);
    EXPECT_TRUE(f.panel.LockModeButton.checked);  // left as it was
    f.panel.UpdateConfigurationData();
    EXPECT_FALSE(f.panel.LockModeButton.checked);
    EXPECT_TRUE(f.s.LockMode && f.s.VerifyAfterDownload && f.s.Bootload && f.s.RunAddress == 0);
}

}  // namespace
}  // namespace tovrel
