#include <gtest/gtest.h>

#include "tests/workflow/form_fixture.h"
#include "link/port_names.h"

namespace tovrel::testing {
namespace {

using StartUp = FormTest;

void Store(MapSettingsStore& store, const std::string& key, const std::string& text) {
    store.Save(kSettingsApplication, kSettingsSection, key, text);
}

TEST_F(StartUp, InteractiveStartLoadsTheSavedSettingsAndIdentifiesSilently) {
    Store(store, "Comport", "5");
    Store(store, "VerifyAfterDownload", "True");
    Store(store, "fcore", "11059200");
    Start();
    EXPECT_EQ(form->settings().Comport, 5);
    EXPECT_EQ(port.openedDevices.at(0), PortDevicePath(5, store));
    EXPECT_TRUE(form->panel().VerifyAfterDownloadButton.checked);
    EXPECT_TRUE(form->settings().VerifyAfterDownload);
    EXPECT_EQ(form->mainWindow().Status(), "");
    EXPECT_EQ(form->mainWindow().PelliconText(), "Zerk8WF version 2.05");
    EXPECT_FALSE(form->settings().ResetOK);  // only the reset command sets it
    const auto& b = form->mainWindow().CommandButtons();
    EXPECT_TRUE(b.ResetButton && b.RunButton && b.ConfButton && b.DownloadButton);
    EXPECT_FALSE(form->Unloaded());
    EXPECT_EQ(form->mainWindow().Caption(), "Tovrel");
    const auto& list = form->panel().COMPortList;
    ASSERT_EQ(list.size(), 32u);
    EXPECT_EQ(list.front(), "COM1");
    EXPECT_EQ(list.back(), "COM32");
}

TEST_F(StartUp, WithoutADeviceTheWindowStartsEmptyAndReady) {
    device.idText.clear();
    Start();
    EXPECT_EQ(form->mainWindow().Status(), "");
    EXPECT_EQ(form->mainWindow().PelliconText(), "");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(form->mainWindow().CommandButtons().DownloadButton);
    EXPECT_FALSE(port.isOpen);
}

TEST_F(StartUp, HeldPortIsReportedAndStartUpGoesOn) {
    port.failOpen = true;
    Start();
    EXPECT_EQ(host.messages,
              (std::vector<ShownMessage>{{"Error encountered while Opening Port", "Error"},
                                         {"Com Port Already Open by another host", "Warning"}}));
    EXPECT_TRUE(form->mainWindow().CommandButtons().ResetButton);
}

TEST_F(StartUp, ClosingSavesTheSettingsEvenWhenNothingChanged) {
    Start();
    EXPECT_TRUE(store.values.empty());
    form->Form_QueryUnload();
    EXPECT_EQ(store.values.size(), 18u);
    EXPECT_EQ(store.Get("Comport"), "1");
    EXPECT_EQ(store.Get("EraseMode"), "True");
    EXPECT_EQ(store.Get("fcore"), "11059200");
    EXPECT_TRUE(form->Unloaded());
}

using CommandLineRun = FormTest;

TEST_F(CommandLineRun, StartsFromTheDefaultsDownloadsAndSavesOverTheStoredSettings) {
    Store(store, "Comport", "5");
    Store(store, "VerifyAfterDownload", "True");
    const std::string hex = WriteExampleHex();
    Start({hex});
    EXPECT_EQ(port.openedDevices.at(0), PortDevicePath(1, store));
    const std::vector<std::string> lines = LinesAfterReset();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], "ERASING CODE AND DATA... OK");
    EXPECT_EQ(lines[3], "DOWNLOADING CODE [" + hex + "]:..........OK");
    EXPECT_TRUE(host.fileDialogFilters.empty());
    EXPECT_EQ(host.pauses, (std::vector<float>{0.0f}));
    EXPECT_TRUE(form->Unloaded());
    EXPECT_EQ(form->ExitStatus(), 0);
    EXPECT_EQ(store.Get("Comport"), "1");
    EXPECT_EQ(store.Get("VerifyAfterDownload"), "False");
    const auto& b = form->mainWindow().CommandButtons();
    EXPECT_FALSE(b.ResetButton || b.RunButton || b.ConfButton || b.DownloadButton);
}

TEST_F(CommandLineRun, FailedResetEndsTheRunWithStatusOneAndStillSaves) {
    device.idText.clear();
    Start({WriteExampleHex()});
    EXPECT_EQ(LogLines().back(), "RESETTING PART: failed");
    EXPECT_EQ(form->ExitStatus(), 1);
    EXPECT_TRUE(form->Unloaded());
    EXPECT_EQ(store.values.size(), 18u);
    EXPECT_EQ(host.pauses.size(), 1u);
}

}  // namespace
}  // namespace tovrel::testing
