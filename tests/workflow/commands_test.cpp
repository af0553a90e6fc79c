#include <gtest/gtest.h>

#include "tests/workflow/form_fixture.h"

namespace tovrel::testing {
namespace {

using ResetCommand = FormTest;

// The start line shows the PC rate box's text, which may differ from the rate in use.
TEST_F(ResetCommand, LogsPortAndOutcomeAndShowsOrClearsTheDevice) {
    Start();
    Configure([](ConfigurationPanel& panel) { panel.SelectPort(2); });
    form->panel().PCBaudrateTextbox.text = "14399";
    form->ResetButton_Click();
    const std::string start = "\r\nConfiguration: COM3, 14399 baud\r\nRESETTING PART: ";
    EXPECT_EQ(Log(), start + "OK\r\n");
    EXPECT_EQ(port.openedBaudRates.back(), 9600);
    EXPECT_EQ(form->mainWindow().PelliconText(), "Zerk8WF version 2.05");
    EXPECT_TRUE(form->settings().ResetOK);

    device.id.clear();
    form->ResetButton_Click();
    EXPECT_EQ(Log(), start + "OK\r\n" + start + "failed\r\n");
    EXPECT_EQ(form->mainWindow().PelliconText(), "");
    EXPECT_FALSE(form->settings().ResetOK);
    const ShownMessage resetError{
        "Error: could not reset the device\r\r\nPlease ensure that...\r\r\n"
        "1. The power supply is connected\r\n2. All connections are correct\r\n"
        "3. A program is not already running\r\n4. The correct value for the crystal is "
        "selected\r\n5. PSEN is inserted\r\r\nSee downloading instructions under 'Help-->Index'",
        "Warning"};
    EXPECT_EQ(host.messages, std::vector{resetError});
    EXPECT_FALSE(port.isOpen);
    EXPECT_TRUE(ButtonsEnabled());
}

using RunCommand = FormTest;

TEST_F(RunCommand, EachPressStartsTheCodeInItsOwnPortSessionWithItsOwnLine) {
    Start();
    form->RunButton_Click();
    device.ignore = 'U';
    form->RunButton_Click();
    EXPECT_EQ(device.received, "R U000000 U000000");  // no reset of its own
    const std::string lines = "STARTING USER CODE: ... OK\r\nSTARTING USER CODE: ... failed\r\n";
    EXPECT_EQ(Log(), lines);
    port.failOpen = true;
    form->RunButton_Click();  // a held port writes no line
    EXPECT_EQ(Log(), lines);
    EXPECT_EQ(host.messages.back(),
              (ShownMessage{"Com Port Already Open by another host", "Warning"}));
    EXPECT_FALSE(port.isOpen);
    EXPECT_TRUE(ButtonsEnabled());
}

}  // namespace
}  // namespace tovrel::testing
