#include "config/configuration_panel.h"

#include <gtest/gtest.h>

#include "tests/config/panel_fixture.h"

namespace tovrel {
namespace {

using testing::PanelFixture;
using testing::ShownMessage;

TEST(ConfigurationPanel, StartsInItsDesignState) {
    PanelFixture f;
    EXPECT_EQ(f.panel.DownloadCodeButton.selected, 1);
    EXPECT_EQ(f.panel.EraseCodeButton.selected, 1);
    EXPECT_EQ(f.panel.RunAddressButton.selected, 0);
    EXPECT_EQ(f.panel.XtalButton.selected, -1);
    EXPECT_FALSE(f.panel.HexFileCHKSUM.visible);
    EXPECT_FALSE(f.panel.HexFileCHKSUMLbl.visible);
    EXPECT_FALSE(f.panel.RunAddressTextbox.enabled);
    ASSERT_EQ(f.panel.COMPortList.size(), 32u);
    EXPECT_EQ(f.panel.COMPortList.front(), "COM1");
    EXPECT_EQ(f.panel.COMPortList.back(), "COM32");
}

TEST(ConfigurationPanel, HandlersRunOnlyWhenTheValueChanges) {
    PanelFixture f;
    f.host.serialSafeAnswers = {true, true};
    f.panel.SetChecked(Check::SerialSafeModeButton, true);
    f.panel.SetChecked(Check::SerialSafeModeButton, true);
    EXPECT_EQ(f.host.serialSafeWarningsShown, 1);
    // Re-selecting "Erase the CODE and DATA" must not re-enable what "CODE ONLY" disabled.
    f.panel.Select(Option::EraseCodeButton, 0);
    f.panel.DownloadCodeButton.enabled.fill(false);
    f.panel.Select(Option::EraseCodeButton, 0);
    EXPECT_FALSE(f.panel.DownloadCodeButton.enabled[1]);
}

TEST(ConfigurationPanel, ViewHearsOncePerOperation) {
    PanelFixture f;
    int changes = 0;
    f.panel.onChanged = [&] { ++changes; };
    f.panel.Select(Option::EraseCodeButton, 0);  // runs a chain of nested changes
    EXPECT_EQ(changes, 1);
}

TEST(EraseMode, CodeOnlyForcesCodeDownloadAndClearsSecurity) {
    PanelFixture f;
    f.Fill();
    f.panel.Select(Option::DownloadCodeButton, 0);
    f.panel.SetChecked(Check::LockModeButton, true);
    f.panel.SetChecked(Check::SecureModeButton, true);
    f.panel.Select(Option::EraseCodeButton, 0);
    EXPECT_EQ(f.panel.DownloadCodeButton.selected, 1);
    EXPECT_EQ(f.panel.DownloadCodeButton.enabled, (std::array<bool, 3>{false, true, false}));
    for (Check box :
         {Check::LockModeButton, Check::SecureModeButton, Check::SerialSafeModeButton}) {
        EXPECT_FALSE(f.panel.Box(box).checked);
        EXPECT_FALSE(f.panel.Box(box).enabled);
    }
}

TEST(EraseMode, CodeAndDataEnablesSecurityOnlyWhenTheDeviceHasIt) {
    for (bool securityBits : {true, false}) {
        PanelFixture f;
        f.s.SecurityBitsOption = securityBits;
        f.panel.Select(Option::EraseCodeButton, 0);
        f.panel.Select(Option::EraseCodeButton, 1);
        EXPECT_EQ(f.panel.DownloadCodeButton.enabled, (std::array<bool, 3>{true, true, true}));
        EXPECT_EQ(f.panel.LockModeButton.enabled, securityBits);
        EXPECT_EQ(f.panel.SerialSafeModeButton.enabled, securityBits);
    }
}

TEST(EraseMode, LaterWindowFillReEnablesSecurityBoxes) {
    PanelFixture f;
    f.s.EraseMode = false;
    f.s.LockMode = true;
    f.Fill();
    // The erase-mode step clears and disables them; the security step that follows restores.
    EXPECT_TRUE(f.panel.LockModeButton.enabled);
    EXPECT_TRUE(f.panel.LockModeButton.checked);
    EXPECT_EQ(f.panel.DownloadCodeButton.selected, 1);
}

TEST(SerialSafeWarning, StoredModeShowsTheWarningAtStartUp) {
    PanelFixture f;
    f.s.SerialSafeMode = true;
    f.host.serialSafeAnswers = {true};
    f.Fill();
    EXPECT_EQ(f.host.serialSafeWarningsShown, 1);
    EXPECT_TRUE(f.panel.SerialSafeModeButton.checked);
    EXPECT_FALSE(f.panel.SerialSafeWarningVisible);
    EXPECT_TRUE(f.s.SerialSafeMode);
}

TEST(SerialSafeWarning, NoOrClosingClearsTheBoxAndTheMode) {
    PanelFixture f;
    f.s.SerialSafeMode = true;
    f.panel.SetChecked(Check::SerialSafeModeButton, true);  // the fake answers No
    EXPECT_FALSE(f.panel.SerialSafeModeButton.checked);
    EXPECT_FALSE(f.s.SerialSafeMode);
    EXPECT_FALSE(f.panel.SerialSafeWarningVisible);
    EXPECT_EQ(f.host.serialSafeWarningsShown, 1);  // clearing the box shows nothing
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

TEST(SerialSafeWarning, ClearingByEraseModeOrCancelShowsNothing) {
    PanelFixture f;
    f.host.serialSafeAnswers = {true};
    f.panel.SetChecked(Check::SerialSafeModeButton, true);
    f.panel.Select(Option::EraseCodeButton, 0);
    f.panel.UpdateConfigurationWindow();  // SerialSafeMode still false in the record
    EXPECT_EQ(f.host.serialSafeWarningsShown, 1);
}

TEST(CheckBoxes, ChecksumBoxFollowsCheck1AndVerifyFilesFollowTheirBox) {
    PanelFixture f;
    f.panel.SetChecked(Check::Check1, true);
    EXPECT_TRUE(f.panel.HexFileCHKSUM.visible && f.panel.HexFileCHKSUMLbl.visible);
    f.panel.SetChecked(Check::Check1, false);
    EXPECT_FALSE(f.panel.HexFileCHKSUM.visible || f.panel.HexFileCHKSUMLbl.visible);
    f.panel.SetChecked(Check::VerifyAfterDownloadButton, true);
    EXPECT_TRUE(f.panel.GenerateVResultCheck.visible);
    f.panel.SetChecked(Check::GenerateVResultCheck, true);
    EXPECT_TRUE(f.s.GenVerifyFiles);
    f.panel.SetChecked(Check::VerifyAfterDownloadButton, false);
    EXPECT_FALSE(f.panel.GenerateVResultCheck.visible);
}

struct ChecksumCase {
    const char* text;
    std::int32_t expected;
    bool error;
};
void PrintTo(const ChecksumCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
class ExpectedChecksum : public ::testing::TestWithParam<ChecksumCase> {};

TEST_P(ExpectedChecksum, TakesDecimalIntegersAndRejectsTheRest) {
    const ChecksumCase& c = GetParam();
    PanelFixture f;
    f.s.ExpectedChecksum = 99;
    f.panel.SetText(f.panel.HexFileCHKSUM, c.text);
    f.panel.HexFileCHKSUM_LostFocus();
    EXPECT_EQ(f.s.ExpectedChecksum, c.expected);
    if (c.error) {
        ASSERT_EQ(f.host.messages.size(), 1u);
        EXPECT_EQ(f.host.messages[0],
                  (ShownMessage{std::string("'") + c.text +
                                    "' is not a valid input for the Expected Checksum. Please "
                                    "enter a valid decimal number.\r\n\r\ne.g. Use '23' "
                                    "instead of '0x17'.",
                                "Tovrel"}));
        EXPECT_EQ(f.panel.HexFileCHKSUM.text, "0");
    } else {
        EXPECT_TRUE(f.host.messages.empty());
        EXPECT_EQ(f.panel.HexFileCHKSUM.text, c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ExpectedChecksum,
    ::testing::Values(ChecksumCase{"23", 23, false}, ChecksumCase{" 23 ", 23, false},
                      ChecksumCase{"-5", -5, false}, ChecksumCase{"2.5", 2, false},
                      ChecksumCase{"3.5", 4, false}, ChecksumCase{"2147483647", 2147483647, false},
                      ChecksumCase{"-2147483648", -2147483647 - 1, false},
                      ChecksumCase{"2147483648", 0, true}, ChecksumCase{"2147483647.5", 0, true},
                      ChecksumCase{"", 0, true}, ChecksumCase{"0x17", 0, true},
                      ChecksumCase{"12abc", 0, true}, ChecksumCase{"1.2.3", 0, true},
                      ChecksumCase{".", 0, true}));

}  // namespace
}  // namespace tovrel
