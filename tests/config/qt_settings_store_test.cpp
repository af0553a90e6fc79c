#include "config/qt_settings_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tovrel {
namespace {

namespace fs = std::filesystem;

// Every run of this program gets its own configuration folder, set before Qt first looks.
const std::string& ConfigHome() {
    static const std::string home = [] {
        char pattern[] = "/tmp/tovrel-config-XXXXXX";
        const char* made = mkdtemp(pattern);
        const std::string path = made ? made : "/tmp";
        setenv("XDG_CONFIG_HOME", path.c_str(), 1);
        return path;
    }();
    return home;
}
const bool kConfigHomeReady = !ConfigHome().empty();

struct ConfigHomeCleanup {
    ~ConfigHomeCleanup() {
        std::error_code ignored;
        if (ConfigHome() != "/tmp") fs::remove_all(ConfigHome(), ignored);
    }
} cleanup;

fs::path SettingsFile() { return fs::path(ConfigHome()) / "Tovrel" / "Tovrel.conf"; }

std::string FileText() {
    std::ifstream in(SettingsFile());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class QtSettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(kConfigHomeReady);
        std::error_code ignored;
        fs::remove(SettingsFile(), ignored);
    }
    QtSettingsStore store;
};

TEST_F(QtSettingsStoreTest, WritesPlainTextUnderSection8051OfTheUsersFile) {
    Settings s;
    LoadDefaultData(s);
    s.Comport = 3;
    s.RunAddress = -5;
    s.fcore = 11059200;
    SaveSavedData(s, store);

    const std::string text = FileText();
    EXPECT_NE(text.find("[8051]\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Comport=3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("EraseMode=True\n"), std::string::npos) << text;
    EXPECT_NE(text.find("LockMode=False\n"), std::string::npos) << text;
    EXPECT_NE(text.find("RunAddress=-5\n"), std::string::npos) << text;
    EXPECT_NE(text.find("fcore=11059200\n"), std::string::npos) << text;
}

TEST_F(QtSettingsStoreTest, SavedRecordLoadsBackThroughANewStore) {
    Settings saved;
    LoadDefaultData(saved);
    saved.Comport = 32;
    saved.RunAddress = -65536;
    saved.EraseMode = false;
    saved.GenVerifyFiles = true;
    saved.fcore = 12582912;
    SaveSavedData(saved, store);

    QtSettingsStore later;
    Settings loaded;
    EXPECT_EQ(LoadSavedData(loaded, later), "12.582912");
    EXPECT_EQ(loaded.Comport, 32);
    EXPECT_EQ(loaded.RunAddress, -65536);
    EXPECT_FALSE(loaded.EraseMode);
    EXPECT_TRUE(loaded.GenVerifyFiles);
}

TEST_F(QtSettingsStoreTest, MissingKeyGivesTheDefaultText) {
    EXPECT_EQ(store.Read("Tovrel", "8051", "Comport", "1"), "1");
    store.Save("Tovrel", "Ports", "COM3", "/dev/ttyUSB0");
    EXPECT_EQ(store.Read("Tovrel", "8051", "COM3", "none"), "none");
    EXPECT_EQ(store.Read("Tovrel", "Ports", "COM3", ""), "/dev/ttyUSB0");
}

TEST_F(QtSettingsStoreTest, ReadsAHandWrittenFile) {
    fs::create_directories(SettingsFile().parent_path());
    std::ofstream(SettingsFile()) << "[8051]\nComport=33\nEraseMode=False\nPCBaudrate=19200\n"
                                     "[Ports]\nCOM2=/dev/ttyUSB1, spare\n";
    Settings s;
    LoadSavedData(s, store);
    EXPECT_EQ(s.Comport, 1);
    EXPECT_FALSE(s.EraseMode);
    EXPECT_EQ(s.PCBaudrate, 19200);
    EXPECT_EQ(store.Read("Tovrel", "Ports", "COM2", ""), "/dev/ttyUSB1, spare");
}

}  // namespace
}  // namespace tovrel
