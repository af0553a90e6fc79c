#include "adapters/qt_settings_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "testbed/temp_dir.h"

namespace tovrel {
namespace {

namespace fs = std::filesystem;

// This program's own configuration folder, set before Qt first looks.
const testbed::TempDir kConfigHome;
const bool kConfigHomeSet = setenv("XDG_CONFIG_HOME", kConfigHome.Path().c_str(), 1) == 0;
const fs::path kConfigFile = fs::path(kConfigHome.Path()) / "Tovrel" / "Tovrel.conf";

// A hand-written file is read as it stands (a comma makes no list), and saving keeps plain
// text under section 8051 of the user's file.
TEST(QtSettingsStore, ReadsAndWritesPlainTextUnderSection8051) {
    ASSERT_TRUE(kConfigHomeSet && !kConfigHome.Path().empty());
    fs::create_directories(kConfigFile.parent_path());
    std::ofstream(kConfigFile) << "[8051]\nEraseMode=False\n"
                                  "[Ports]\nCOM2=/dev/ttyUSB1, spare\n";
    QtSettingsStore store;
    Settings s;
    LoadSavedData(s, store);
    EXPECT_FALSE(s.EraseMode);
    EXPECT_EQ(store.Read("Tovrel", "Ports", "COM2", ""), "/dev/ttyUSB1, spare");

    s.Comport = 3;
    s.RunAddress = -65536;
    s.fcore = 11059200;
    SaveSavedData(s, store);
    store.Flush();
    std::stringstream text;
    text << std::ifstream(kConfigFile).rdbuf();
    for (const char* line : {"[8051]\n", "Comport=3\n", "EraseMode=False\n", "LockMode=False\n",
                             "RunAddress=-65536\n", "fcore=11059200\n"}) {
        EXPECT_NE(text.str().find(line), std::string::npos) << line << " in " << text.str();
    }
    Settings loaded;
    EXPECT_EQ(LoadSavedData(loaded, QtSettingsStore{}), "11.0592");
    EXPECT_EQ(loaded.RunAddress, -65536);
}

}  // namespace
}  // namespace tovrel
