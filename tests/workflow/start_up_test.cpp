#include <gtest/gtest.h>

#include "link/port_names.h"
#include "tests/workflow/form_fixture.h"

namespace tovrel::testing {
namespace {

// Settings an earlier interactive run saved.
class StartUp : public FormTest {
  public:
    StartUp() {
        store.Save(kSettingsApplication, kSettingsSection, "Comport", "5");
        store.Save(kSettingsApplication, kSettingsSection, "VerifyAfterDownload", "True");
    }
};

TEST_F(StartUp, InteractiveLoadsTheSavedSettingsIdentifiesSilentlyAndSavesOnClose) {
    Start();
    EXPECT_EQ(port.openedDevices.at(0), PortDevicePath(5, store));
    EXPECT_TRUE(form->panel().VerifyAfterDownloadButton.checked);
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(form->mainWindow().PelliconText(), "Zerk8WF version 2.05");
    EXPECT_FALSE(form->settings().ResetOK);  // only the reset command sets it
    EXPECT_TRUE(ButtonsEnabled());
    const auto& list = form->panel().COMPortList;
    EXPECT_EQ(list.size(), 32u);
    EXPECT_EQ(list.front() + list.back(), "COM1COM32");
    form->Form_QueryUnload();
    EXPECT_EQ(store.values.size(), 18u);
    EXPECT_EQ(store.Get("Comport"), "5");
    EXPECT_TRUE(form->Unloaded());
}

TEST_F(StartUp, WithoutADeviceTheWindowStartsEmptyAndReady) {
    device.id.clear();
    Start();
    EXPECT_EQ(Log() + form->mainWindow().PelliconText(), "");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(ButtonsEnabled());
}

// A command line runs one download on the defaults, without a dialog, waits, saves and ends.
class CommandLine : public StartUp, public ::testing::WithParamInterface<bool> {};

TEST_P(CommandLine, RunsOnTheDefaultsAndSavesOverTheStoredSettings) {
    const bool deviceAnswers = GetParam();
    if (!deviceAnswers) device.id.clear();
    Start({"app.hex"});
    EXPECT_EQ(port.openedDevices.at(0), PortDevicePath(1, store));
    EXPECT_TRUE(Log().ends_with(deviceAnswers ? "DOWNLOADING CODE [app.hex]:..........OK\r\n"
                                                "Baudrate = 9600... OK\r\n"
                                              : "RESETTING PART: failed\r\n"));
    EXPECT_EQ(form->ExitStatus(), deviceAnswers ? 0 : 1);
    EXPECT_TRUE(host.fileDialogFilters.empty());
    EXPECT_EQ(host.pauses, (std::vector<float>{0.0f}));
    EXPECT_TRUE(form->Unloaded());
    EXPECT_EQ(store.Get("Comport"), "1");
    EXPECT_EQ(store.Get("VerifyAfterDownload"), "False");
    const auto& b = form->mainWindow().CommandButtons();
    EXPECT_FALSE(b.ResetButton || b.RunButton || b.ConfButton || b.DownloadButton);
}

INSTANTIATE_TEST_SUITE_P(DeviceAnswers, CommandLine, ::testing::Bool());

}  // namespace
}  // namespace tovrel::testing
