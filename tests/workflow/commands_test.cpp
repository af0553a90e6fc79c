#include <gtest/gtest.h>

#include "tests/workflow/form_fixture.h"
#include "workflow/status_texts.h"

namespace tovrel::testing {
namespace {

const std::string kResetError =
    "Error: could not reset the device\r\r\nPlease ensure that...\r\r\n"
    "1. The power supply is connected\r\n2. All connections are correct\r\n"
    "3. A program is not already running\r\n4. The correct value for the crystal is selected\r\n"
    "5. PSEN is inserted\r\r\nSee downloading instructions under 'Help-->Index'";

using ResetCommand = FormTest;

TEST_F(ResetCommand, LogsPortBaudAndOutcomeAndShowsTheDevice) {
    Start();
    Configure([](ConfigurationPanel& panel) { panel.COMPortListIndex = 2; });
    form->ResetButton_Click();
    form->ResetButton_Click();
    const std::string one = "\r\nConfiguration: COM3, 9600 baud\r\nRESETTING PART: OK\r\n";
    EXPECT_EQ(form->mainWindow().Status(), one + one);
    EXPECT_EQ(form->mainWindow().PelliconText(), "Zerk8WF version 2.05");
    EXPECT_TRUE(form->settings().ResetOK);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(port.isOpen);
}

TEST_F(ResetCommand, SilentDeviceFailsClearsTheDisplayAndExplains) {
    Start();
    ASSERT_EQ(form->mainWindow().PelliconText(), "Zerk8WF version 2.05");
    device.idText.clear();
    const int closesBefore = port.closeCount;
    form->ResetButton_Click();
    EXPECT_EQ(LogLines().back(), "RESETTING PART: failed");
    EXPECT_EQ(form->mainWindow().PelliconText(), "");
    EXPECT_FALSE(form->settings().ResetOK);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], (ShownMessage{kResetError, "Warning"}));
    // Closed once before the message and once more at the end.
    EXPECT_EQ(port.closeCount - closesBefore, 2);
    const auto& b = form->mainWindow().CommandButtons();
    EXPECT_TRUE(b.ResetButton && b.RunButton && b.ConfButton && b.DownloadButton);

    device.idText = "Kaz 8WFABCD310";
    form->ResetButton_Click();
    EXPECT_EQ(form->mainWindow().PelliconText(), "Zerk8WF version 3.10");
    EXPECT_TRUE(form->settings().ResetOK);
}

TEST_F(ResetCommand, HeldPortGivesTwoMessagesAndNoResetLine) {
    Start();
    port.failOpen = true;
    form->ResetButton_Click();
    EXPECT_EQ(form->mainWindow().Status(), "\r\nConfiguration: COM1, 9600 baud\r\n");
    EXPECT_EQ(host.messages,
              (std::vector<ShownMessage>{{"Error encountered while Opening Port", "Error"},
                                         {"Com Port Already Open by another host", "Warning"}}));
    EXPECT_FALSE(form->settings().ResetOK);
    EXPECT_TRUE(form->mainWindow().CommandButtons().DownloadButton);
}

using RunCommand = FormTest;

TEST_F(RunCommand, EachPressSendsTheStartCommandInItsOwnPortSession) {
    Start();
    const std::size_t opensBefore = port.openedDevices.size();
    form->RunButton_Click();
    form->RunButton_Click();
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"STARTING USER CODE: ... OK",
                                                    "STARTING USER CODE: ... OK"}));
    EXPECT_EQ(device.Count('U'), 2);
    EXPECT_EQ(device.Count(FakePellicon::kResetKey), 1);  // only the start-up identification
    EXPECT_EQ(port.openedDevices.size() - opensBefore, 2u);
    EXPECT_FALSE(port.isOpen);
}

TEST_F(RunCommand, UnansweredStartIsReportedAsFailed) {
    Start();
    device.Fail('U', 0, std::nullopt);
    form->RunButton_Click();
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"STARTING USER CODE: ... failed"}));
    EXPECT_TRUE(form->mainWindow().CommandButtons().RunButton);
}

TEST_F(RunCommand, HeldPortWritesNoStatusLine) {
    Start();
    port.failOpen = true;
    form->RunButton_Click();
    EXPECT_EQ(form->mainWindow().Status(), "");
    EXPECT_EQ(host.messages.back(),
              (ShownMessage{"Com Port Already Open by another host", "Warning"}));
    EXPECT_EQ(device.Count('U'), 0);
}

using ConfigurationPage = FormTest;

TEST_F(ConfigurationPage, SwitchesPagesAndCancelRestoresTheControls) {
    Start();
    form->ConfButton_Click();
    EXPECT_EQ(form->mainWindow().Caption(), "Configuration");
    EXPECT_TRUE(form->mainWindow().CommandButtons().ConfButton);
    form->panel().SetChecked(Check::RunAfterDownloadButton, true);
    form->CancelButton_Click();
    EXPECT_EQ(form->mainWindow().Caption(), "Tovrel");
    EXPECT_FALSE(form->panel().RunAfterDownloadButton.checked);
    EXPECT_FALSE(form->settings().RunAfterDownload);
}

}  // namespace
}  // namespace tovrel::testing
