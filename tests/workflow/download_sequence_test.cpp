#include <gtest/gtest.h>

#include "tests/workflow/form_fixture.h"

namespace tovrel::testing {
namespace {

using DownloadSequence = FormTest;

void CodeOnlyWithVerifyAndRun(ConfigurationPanel& panel) {
    panel.Select(Option::EraseCodeButton, 0);
    panel.SetChecked(Check::VerifyAfterDownloadButton, true);
    panel.SetChecked(Check::RunAfterDownloadButton, true);
}

TEST_F(DownloadSequence, CodeOnlyRunLeavesTheSevenExampleLines) {
    const std::string hex = WriteExampleHex();
    host.fileDialogAnswers = {hex};
    Start();
    Configure(CodeOnlyWithVerifyAndRun);
    form->DownloadButton_Click();
    const std::string sum = std::to_string(HexFileSum(ExampleHexLines()));
    EXPECT_EQ(LinesAfterReset(), (std::vector<std::string>{
                                     "Baudrate = 115200... OK",
                                     "ERASING CODE ONLY... OK",
                                     "CheckSum of [" + hex + "] is " + HexText(std::stoi(sum)) +
                                         "hex - " + sum + " Dec",
                                     "DOWNLOADING CODE [" + hex + "]:..........OK",
                                     "VERIFYING USER CODE: ... OK",
                                     "Baudrate = 9600... OK",
                                     "STARTING USER CODE: ... OK",
                                 }));
    EXPECT_EQ(CommandRuns(), "RBCQVFBU");  // F: bootload mode off, silently
    EXPECT_EQ(device.Count('Q'), 2);       // pages 0 and 1, the erased ones skipped
    EXPECT_EQ(device.Count('V'), 248);     // every page read back once
    EXPECT_EQ(device.code[0x0000], 0x02);
    EXPECT_EQ(device.code[0x0100], 0x10);  // the record that crosses into page 1
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.fileDialogFilters, (std::vector<std::string>{"Hex Files (*.Hex)|*.hex"}));
    EXPECT_EQ(form->ExitStatus(), 0);
    EXPECT_FALSE(port.isOpen);
    EXPECT_FALSE(form->mainWindow().ProgressState().visible);
    EXPECT_TRUE(form->mainWindow().CommandButtons().DownloadButton);
    // The PC came back to the rate it had before the fast phase.
    EXPECT_EQ(port.openedBaudRates.back(), 9600);
}

TEST_F(DownloadSequence, VerifyFilesAreNamedInTheLog) {
    host.fileDialogAnswers = {WriteExampleHex()};
    Start();
    Configure([](ConfigurationPanel& panel) {
        panel.SetChecked(Check::VerifyAfterDownloadButton, true);
        panel.SetChecked(Check::GenerateVResultCheck, true);
    });
    form->DownloadButton_Click();
    const std::vector<std::string> lines = LinesAfterReset();
    const std::string folder = m_folder.string() + "/";
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[4], "VERIFYING USER CODE: ... OK");
    EXPECT_EQ(lines[5], "VERIFY CODE WRITTEN TO FILE [" + folder + "verify.hex]");
    EXPECT_EQ(lines[6], "VERIFY CODE WRITTEN TO FILE [" + folder + "verify.bin]");
    EXPECT_TRUE(std::filesystem::exists(folder + "verify.bin"));
}

TEST_F(DownloadSequence, VerifyFilesThatCannotBeWrittenAreNotClaimed) {
    host.fileDialogAnswers = {WriteExampleHex()};
    std::filesystem::create_directory(m_folder / "verify.hex");  // no file can take its place
    Start();
    Configure([](ConfigurationPanel& panel) {
        panel.SetChecked(Check::VerifyAfterDownloadButton, true);
        panel.SetChecked(Check::GenerateVResultCheck, true);
    });
    form->DownloadButton_Click();
    const std::vector<std::string> lines = LinesAfterReset();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[4], "VERIFYING USER CODE: ... OK");
    EXPECT_EQ(lines[5], "Baudrate = 9600... OK");
    EXPECT_FALSE(host.messages.empty());
    EXPECT_EQ(form->ExitStatus(), 1);
}

TEST_F(DownloadSequence, DataOnlyAsksForTheDataFileAloneAndSkipsVerify) {
    const std::string data = WriteExampleData();
    host.fileDialogAnswers = {data};
    Start();
    Configure([](ConfigurationPanel& panel) {
        panel.Select(Option::DownloadCodeButton, 2);
        panel.SetChecked(Check::VerifyAfterDownloadButton, true);
    });
    form->DownloadButton_Click();
    EXPECT_EQ(LinesAfterReset(), (std::vector<std::string>{
                                     "Baudrate = 115200... OK",
                                     "ERASING CODE AND DATA... OK",
                                     "DOWNLOADING DATA [" + data + "]:..........OK",
                                     "Baudrate = 9600... OK",
                                 }));
    EXPECT_EQ(host.fileDialogFilters, (std::vector<std::string>{"txt Files (*.txt)|*.txt"}));
    EXPECT_EQ(device.Count('V'), 0);
    EXPECT_EQ(device.Count('E'), 3);
    EXPECT_EQ(device.data.at(300), (std::array<std::uint8_t, 4>{0xAA, 0x55, 0x00, 0xFF}));
}

TEST_F(DownloadSequence, SerialSafeModeAsksAgainAndNoSendsNoSecurityBits) {
    host.fileDialogAnswers = {WriteExampleHex()};
    host.serialSafeAnswers = {true, false};  // Yes on the panel, No before programming
    Start();
    Configure(
        [](ConfigurationPanel& panel) { panel.SetChecked(Check::SerialSafeModeButton, true); });
    ASSERT_TRUE(form->settings().SerialSafeMode);
    form->DownloadButton_Click();
    EXPECT_EQ(host.serialSafeWarningsShown, 2);
    EXPECT_FALSE(form->settings().SerialSafeMode);
    EXPECT_EQ(device.Count('S'), 0);
    EXPECT_EQ(form->ExitStatus(), 0);
}

struct CrystalCase {
    const char* frequency;
    bool fastAndQuick;
};

void PrintTo(const CrystalCase& row, std::ostream* out) { *out << row.frequency << " MHz"; }

class SlowCrystal : public FormTest, public ::testing::WithParamInterface<CrystalCase> {};

TEST_P(SlowCrystal, BelowThreeMegahertzKeepsBootRateAndStandardDownload) {
    host.fileDialogAnswers = {WriteExampleHex()};
    Start();
    Configure([](ConfigurationPanel& panel) {
        panel.SetText(panel.FrequencyTextbox, GetParam().frequency);
        panel.FrequencyTextbox_LostFocus();
        panel.Select(Option::XtalButton, 2);
    });
    form->DownloadButton_Click();
    const bool fast = GetParam().fastAndQuick;
    EXPECT_EQ(device.Count('B'), fast ? 2 : 0);
    EXPECT_EQ(device.Count('Q') > 0, fast);
    EXPECT_EQ(device.Count('W') > 0, !fast);
    const std::vector<std::string> lines = LinesAfterReset();
    EXPECT_EQ(lines.front().starts_with("Baudrate = "), fast);
    EXPECT_EQ(lines.back().starts_with("Baudrate = "), fast);
    EXPECT_EQ(form->ExitStatus(), 0);
}

INSTANTIATE_TEST_SUITE_P(Frequencies, SlowCrystal,
                         ::testing::Values(CrystalCase{"2.5", false}, CrystalCase{"3", true}));

}  // namespace
}  // namespace tovrel::testing
