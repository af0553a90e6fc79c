#include <gtest/gtest.h>

#include "tests/workflow/form_fixture.h"

namespace tovrel::testing {
namespace {

using ResetCommand = FormTest;

TEST_F(ResetCommand, LogsPortAndOutcomeAndShowsOrClearsTheDevice) {
    Start();
    Configure([](ConfigurationPanel& panel) { panel.COMPortListIndex = 2; });
    form->ResetButton_Click();
    const std::string start = "\r\nConfiguration: COM3, 9600 baud\r\nRESETTING PART: ";
    EXPECT_EQ(Log(), start + "OK\r\n");
    EXPECT_EQ(form->mainWindow().PelliconText(), "Zerk8WF version 2.05");
    EXPECT_TRUE(form->settings().ResetOK);

    device.id.clear();
    const int closesBefore = port.closeCount;
    form->ResetButton_Click();
    EXPECT_EQ(Log(), start + "OK\r\n" + start + "failed\r\n");
    EXPECT_EQ(form->mainWindow().PelliconText(), "");
    EXPECT_FALSE(form->settings().ResetOK);
    EXPECT_EQ(host.messages, (std::vector<ShownMessage>{{kResetError, "Warning"}}));
    EXPECT_EQ(port.closeCount - closesBefore, 2);  // before the message, and at the end
    EXPECT_TRUE(ButtonsEnabled());

    device.id = "Kaz 8WFABCD310";
    form->ResetButton_Click();
    EXPECT_EQ(form->mainWindow().PelliconText(), "Zerk8WF version 3.10");
    EXPECT_TRUE(form->settings().ResetOK);
    EXPECT_FALSE(port.isOpen);
}

using RunCommand = FormTest;

TEST_F(RunCommand, EachPressStartsTheCodeInItsOwnPortSessionWithItsOwnLine) {
    Start();
    const std::size_t opensBefore = port.openedDevices.size();
    form->RunButton_Click();
    form->RunButton_Click();
    EXPECT_EQ(port.openedDevices.size() - opensBefore, 2u);
    EXPECT_EQ(device.received, "RU");  // no reset of its own
    device.ignore = 'U';
    form->RunButton_Click();
    const std::string ok = "STARTING USER CODE: ... OK\r\n";
    EXPECT_EQ(Log(), ok + ok + "STARTING USER CODE: ... failed\r\n");
    port.failOpen = true;
    form->RunButton_Click();  // a held port writes no line
    EXPECT_EQ(Log(), ok + ok + "STARTING USER CODE: ... failed\r\n");
    EXPECT_EQ(host.messages.back(),
              (ShownMessage{"Com Port Already Open by another host", "Warning"}));
    EXPECT_FALSE(port.isOpen);
    EXPECT_TRUE(ButtonsEnabled());
}

}  // namespace
}  // namespace tovrel::testing
