#include <gtest/gtest.h>

#include <tuple>

#include "config/configuration_panel.h"
#include "tests/config/panel_fixture.h"

namespace tovrel {
namespace {

using testing::PanelFixture;

// The configuration fields the panel carries both ways.
using Configuration = std::tuple<std::int16_t, std::int16_t, std::int16_t, bool, bool, bool, bool,
                                 std::int32_t, bool, bool, bool>;
auto Fields(Settings& s) {
    return std::tie(s.Comport, s.XTAL, s.DownloadMode, s.EraseMode, s.LockMode, s.SecureMode,
                    s.SerialSafeMode, s.RunAddress, s.RunAfterDownload, s.VerifyAfterDownload,
                    s.Bootload);
}
Configuration Of(Settings& s) { return Fields(s); }

class RoundTrip : public ::testing::TestWithParam<Configuration> {};

TEST_P(RoundTrip, WindowThenDataGivesTheRecordBack) {
    PanelFixture f;
    f.host.serialSafeAnswers = {true};
    Fields(f.s) = GetParam();
    f.Fill();
    LoadDefaultData(f.s);  // back to defaults: everything must come from the controls
    EXPECT_TRUE(f.panel.UpdateConfigurationData());
    EXPECT_EQ(Of(f.s), GetParam());
    EXPECT_TRUE(f.host.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RoundTrip,
    ::testing::Values(
        Configuration{1, 0, 1, true, false, false, false, 0, false, false, false},
        Configuration{32, 1, 0, true, true, true, true, 0x1234, true, true, false},
        Configuration{7, 0, 2, true, false, true, false, 0x7FFFFFFF, false, true, false},
        Configuration{3, 1, 1, false, false, false, false, 0xE000, true, false, true}));

TEST(WindowFill, OutOfRangeChoicesSelectNothingAndDataKeepsThem) {
    PanelFixture f;
    f.s.DownloadMode = 7;
    f.Fill();  // XTAL 4 by default
    EXPECT_EQ(f.panel.XtalButton.selected, -1);
    EXPECT_EQ(f.panel.DownloadCodeButton.selected, 1);  // left as the design state had it
    f.panel.DownloadCodeButton.selected = -1;
    f.panel.UpdateConfigurationData();
    EXPECT_EQ(f.s.DownloadMode, 7);
    EXPECT_EQ(f.s.XTAL, 4);
}

TEST(WindowFill, CancelReturnsControlsToTheRecord) {
    PanelFixture f;
    f.s.RunAddress = 0xC000;
    f.Fill();
    f.panel.UpdateConfigurationData();  // opening the panel
    const Configuration opened = Of(f.s);
    f.panel.Select(Option::EraseCodeButton, 0);
    f.panel.SetChecked(Check::RunAfterDownloadButton, true);
    f.panel.Select(Option::RunAddressButton, 0);
    f.panel.SelectPort(5);
    f.panel.UpdateConfigurationWindow();  // Cancel
    EXPECT_EQ(Of(f.s), opened);
    EXPECT_EQ(f.panel.RunAddressTextbox.text, "C000");
    EXPECT_TRUE(f.panel.RunAddressTextbox.enabled);
    f.panel.UpdateConfigurationData();
    EXPECT_EQ(Of(f.s), opened);
}

TEST(WindowFill, DeviceWithoutSecurityBitsKeepsTheRecordedModes) {
    PanelFixture f;
    f.s.SecurityBitsOption = false;
    f.s.LockMode = f.s.SecureMode = true;
    f.panel.SetChecked(Check::LockModeButton, true);
    f.Fill();
    EXPECT_FALSE(f.panel.LockModeButton.enabled || f.panel.SecureModeButton.enabled ||
                 f.panel.SerialSafeModeButton.enabled);
    EXPECT_TRUE(f.panel.LockModeButton.checked);  // left as it was
    f.panel.UpdateConfigurationData();
    EXPECT_FALSE(f.panel.LockModeButton.checked);
    EXPECT_TRUE(f.s.LockMode && f.s.SecureMode);
}

TEST(WindowFill, DeviceWithoutVerifyHidesTheFilesBoxAndKeepsTheChoice) {
    PanelFixture f;
    f.s.VerifyAfterDownloadOption = false;
    f.s.VerifyAfterDownload = true;
    f.Fill();
    EXPECT_FALSE(f.panel.GenerateVResultCheck.visible);
    EXPECT_FALSE(f.panel.VerifyAfterDownloadButton.enabled);
    f.panel.UpdateConfigurationData();
    EXPECT_TRUE(f.s.VerifyAfterDownload);
}

TEST(WindowFill, VerifyFilesBoxFollowsTheRecord) {
    PanelFixture f;
    f.s.VerifyAfterDownload = true;
    f.s.GenVerifyFiles = true;
    f.Fill();
    EXPECT_TRUE(f.panel.GenerateVResultCheck.visible && f.panel.GenerateVResultCheck.checked);
    f.s.VerifyAfterDownload = false;
    f.Fill();
    EXPECT_FALSE(f.panel.GenerateVResultCheck.visible);
    EXPECT_FALSE(f.panel.VerifyAfterDownloadButton.checked);
}

TEST(Bootload, StoredChoiceFixesTheRunAddressAtE000) {
    PanelFixture f;
    f.s.Bootload = true;
    f.Fill();
    EXPECT_TRUE(f.panel.BootloadOptionButton.checked);
    EXPECT_EQ(f.panel.RunAddressTextbox.text, "E000");
    EXPECT_EQ(f.panel.RunAddressButton.selected, 1);
    EXPECT_FALSE(f.panel.RunAddressButton.enabled[0]);
    f.panel.UpdateConfigurationData();
    EXPECT_EQ(f.s.RunAddress, 0xE000);
}

TEST(Bootload, CheckedInThePanelReachesTheRunAddressOneCopyLater) {
    PanelFixture f;
    f.Fill();
    f.panel.SetChecked(Check::BootloadOptionButton, true);
    EXPECT_EQ(f.panel.RunAddressButton.selected, 0);
    f.panel.UpdateConfigurationData();
    EXPECT_TRUE(f.s.Bootload);
    EXPECT_EQ(f.s.RunAddress, 0);
    EXPECT_EQ(f.panel.RunAddressButton.selected, 1);
    f.panel.UpdateConfigurationData();
    EXPECT_EQ(f.s.RunAddress, 0xE000);
}

TEST(Bootload, CancelAfterCheckingReturnsToRunFromStart) {
    PanelFixture f;
    f.s.RunAddress = 0x100;
    f.Fill();
    f.panel.SetChecked(Check::BootloadOptionButton, true);
    f.panel.UpdateConfigurationWindow();
    EXPECT_FALSE(f.panel.BootloadOptionButton.checked);
    EXPECT_EQ(f.panel.RunAddressTextbox.text, "0");
    EXPECT_EQ(f.panel.RunAddressButton.selected, 0);
    EXPECT_TRUE(f.panel.RunAddressButton.enabled[1]);
}

TEST(Bootload, DeviceWithoutItDisablesTheBoxAndKeepsTheChoice) {
    PanelFixture f;
    f.s.BootloadOption = false;
    f.s.Bootload = true;
    f.Fill();
    EXPECT_FALSE(f.panel.BootloadOptionButton.enabled);
    EXPECT_FALSE(f.panel.BootloadOptionButton.checked);
    f.panel.UpdateConfigurationData();
    EXPECT_TRUE(f.s.Bootload);
    EXPECT_EQ(f.s.RunAddress, 0);
}

TEST(CrystalData, StandardAndWatchCrystalsRunAt9600) {
    PanelFixture f;
    f.s.PCBaudrate = 14400;
    f.s.XTAL = 0;
    f.Fill();
    f.panel.UpdateConfigurationData();
    EXPECT_EQ(f.s.PCBaudrate, 9600);
    EXPECT_EQ(f.s.fcore, 11059200);
    EXPECT_FALSE(f.panel.XtalButton.enabled[1]);
    f.s.PCBaudrate = 14400;
    f.panel.Select(Option::XtalButton, 1);
    EXPECT_TRUE(f.panel.UpdateConfigurationData());
    EXPECT_EQ(f.s.XTAL, 1);
    EXPECT_EQ(f.s.PCBaudrate, 9600);
    EXPECT_EQ(f.s.fcore, 11059200);
    EXPECT_TRUE(f.panel.XtalButton.enabled[1]);
}

}  // namespace
}  // namespace tovrel
