#include "config/qt_settings_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tovrel {
namespace {

namespace fs = std::filesystem;

// Each run of this program gets its own configuration folder, set before Qt first looks.
struct ConfigHome {
    std::string path;
    ConfigHome() {
        char pattern[] = "/tmp/tovrel-config-XXXXXX";
        path = mkdtemp(pattern) ? pattern : "";
        if (!path.empty()) setenv("XDG_CONFIG_HOME", path.c_str(), 1);
    }
    ~ConfigHome() {
        std::error_code ignored;
        if (!path.empty()) fs::remove_all(path, ignored);
    }
    fs::path File() const { return fs::path(path) / "Tovrel" / "Tovrel.conf"; }
} const kConfigHome;

class QtSettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(kConfigHome.path.empty());
        std::error_code ignored;
        fs::remove(kConfigHome.File(), ignored);
    }
    QtSettingsStore store;
};

TEST_F(QtSettingsStoreTest, KeepsPlainTextUnderSection8051OfTheUsersFile) {
    Settings saved;
    LoadDefaultData(saved);
    saved.Comport = 3;
    saved.RunAddress = -65536;
    saved.fcore = 11059200;
    SaveSavedData(saved, store);

    std::stringstream text;
    text << std::ifstream(kConfigHome.File()).rdbuf();
    for (const char* line : {"[8051]\n", "Comport=3\n", "EraseMode=True\n", "LockMode=False\n",
                             "RunAddress=-65536\n", "fcore=11059200\n"}) {
        EXPECT_NE(text.str().find(line), std::string::npos) << line << " in " << text.str();
    }
    Settings loaded;
    EXPECT_EQ(LoadSavedData(loaded, QtSettingsStore{}), "11.0592");
    EXPECT_EQ(loaded.RunAddress, -65536);
    EXPECT_EQ(store.Read("Tovrel", "8051", "NoSuchKey", "default"), "default");
}

TEST_F(QtSettingsStoreTest, ReadsAHandWrittenFile) {
    fs::create_directories(kConfigHome.File().parent_path());
    std::ofstream(kConfigHome.File()) << "[8051]\nComport=33\nEraseMode=False\n"
                                         "[Ports]\nCOM2=/dev/ttyUSB1, spare\n";
    Settings s;
    LoadSavedData(s, store);
    EXPECT_EQ(s.Comport, 1);
    EXPECT_FALSE(s.EraseMode);
    EXPECT_EQ(store.Read("Tovrel", "Ports", "COM2", ""), "/dev/ttyUSB1, spare");
}

}  // namespace
}  // namespace tovrel
