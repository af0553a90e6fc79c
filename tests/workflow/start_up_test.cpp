#include <gtest/gtest.h>

#include "link/port_names.h"
#include "tests/workflow/form_fixture.h"

namespace tovrel::testing {
namespace {

// Settings an earlier interactive run saved: port 5, verify, and bootload mode, which makes
// the panel show the run address E000 that only the last copy into the record takes over.
class StartUp : public FormTest {
  public:
    StartUp() {
        for (auto [key, text] :
             {std::pair{"Comport", "5"}, {"VerifyAfterDownload", "True"}, {"Bootload", "True"}})
            store.Save(kSettingsApplication, kSettingsSection, key, text);
    }
    // Whether the store holds all these "key=text " words.
    bool Saved(std::initializer_list<const char*> words) const {
        return std::all_of(words.begin(), words.end(), [this](const char* word) {
            return store.Record().find(word) != std::string::npos;
        });
    }
};

TEST_F(StartUp, InteractiveLoadsTheSavedSettingsIdentifiesSilentlyAndSavesOnClose) {
    Start();
    EXPECT_EQ(port.openedDevices.at(0), PortDevicePath(5, store));
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(form->mainWindow().PelliconText(), "Zerk8WF version 2.05");
    EXPECT_FALSE(form->settings().ResetOK);  // only the reset command sets it
    EXPECT_TRUE(ButtonsEnabled());
    const auto& list = form->panel().COMPortList;
    EXPECT_EQ(list.size(), 32u);
    EXPECT_EQ(list.front() + list.back(), "COM1COM32");
    form->Form_QueryUnload();
    EXPECT_TRUE(Saved({"Comport=5 ", "VerifyAfterDownload=True ", "RunAddress=57344 "}));
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
// The words after the file name, the serial-safe answer, what the device received after its
// identification, the exit status and the pause.
struct CommandLineCase {
    std::vector<std::string> words;
    bool serialSafeAnswer;
    std::string received;
    int exitStatus;
    float pause;
};
class CommandLine : public StartUp, public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(CommandLine, RunsOnTheDefaultsAndSavesOverTheStoredSettings) {
    const CommandLineCase& c = GetParam();
    host.serialSafeAnswers = {c.serialSafeAnswer, c.serialSafeAnswer};
    std::vector<std::string> words{"app.hex"};
    words.insert(words.end(), c.words.begin(), c.words.end());
    if (c.received.empty()) device.id.clear();
    Start(words);
    EXPECT_EQ(port.openedDevices.at(0), PortDevicePath(1, store));
    EXPECT_EQ(device.received, "R R" + c.received);
    EXPECT_EQ(form->ExitStatus(), c.exitStatus);
    EXPECT_TRUE(host.fileDialogs.empty());
    EXPECT_EQ(host.pauses, (std::vector<float>{c.pause}));
    EXPECT_TRUE(form->Unloaded());
    EXPECT_TRUE(Saved({"Comport=1 ", "VerifyAfterDownload=False "}));
    const auto& b = form->mainWindow().CommandButtons();
    EXPECT_FALSE(b.ResetButton || b.RunButton || b.ConfButton || b.DownloadButton);
}

// The security value: lock clears bit 0, secure bit 1, serial safe bit 2.
INSTANTIATE_TEST_SUITE_P(
    Words, CommandLine,
    ::testing::Values(CommandLineCase{{}, true, "", 1, 0},
                      CommandLineCase{{}, true, " B8120 A Q FFF B8508", 0, 0},
                      CommandLineCase{{"/S:0", "/T:3"}, true, " B8120 A Q E S06 FFF B8508", 0, 3},
                      CommandLineCase{{"/S:1"}, true, " B8120 A Q E S05 FFF B8508", 0, 0},
                      CommandLineCase{{"/S:2"}, true, " B8120 A Q E S03 FFF B8508", 0, 0},
                      CommandLineCase{{"/S:2"}, false, " B8120 A Q FFF B8508", 0, 0},
                      CommandLineCase{{"/S:3"}, true, " B8120 A Q E S00 FFF B8508", 0, 0}));

}  // namespace
}  // namespace tovrel::testing
