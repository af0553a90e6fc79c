#include <gtest/gtest.h>

#include <string>

#include "core/settings.h"
#include "tests/support/map_settings_store.h"

namespace tovrel {
namespace {

using testing::MapSettingsStore;

// The record as the store would keep it, so that two records compare field by field.
std::string Saved(const Settings& s) {
    MapSettingsStore store;
    SaveSavedData(s, store);
    return store.Record();
}

// A value that does not convert, or a port outside 1 to 32, is as good as a missing key.
TEST(Settings, MissingOrUnreadableValuesLoadAsTheStartUpDefaults) {
    Settings defaults;
    LoadDefaultData(defaults);
    // clang-format off
    for (auto [key, text] : {std::pair{"", ""}, {"Comport", "0"}, {"Comport", "33"},
         {"Comport", "COM3"}, {"PCBaudrate", "99999999999"}, {"DownloadMode", "1x"},
         {"fcore", "11.0592"}, {"EraseMode", "Yes"}}) {
        // clang-format on
        MapSettingsStore store;
        store.Save(kSettingsApplication, kSettingsSection, key, text);
        Settings loaded;
        loaded.GenVerifyFiles = true;
        EXPECT_EQ(LoadSavedData(loaded, store), "0");
        EXPECT_EQ(Saved(loaded), Saved(defaults)) << key << "=" << text;
    }
}

// Every field off its default and the security modes apart: each key must carry its own field.
TEST(Settings, EachFieldIsSavedUnderItsOwnKeyAndLoadsBack) {
    Settings saved;
    LoadDefaultData(saved);
    saved.Comport = 32, saved.PCBaudrate = 14400, saved.XTAL = 2, saved.DownloadMode = 2;
    saved.EraseMode = saved.SecureMode = saved.SecurityBitsOption = saved.BootloadOption = false;
    saved.LockMode = saved.SerialSafeMode = saved.RunAfterDownload = saved.GenVerifyFiles = true;
    saved.RunAddress = -5, saved.fcore = 32768;
    MapSettingsStore store;
    SaveSavedData(saved, store);
    EXPECT_EQ(store.Record(),
              "Bootload=False BootloadOption=False Comport=32 DownloadMode=2 EraseMode=False "
              "FastBaudrateOption=True GenVerifyFiles=True LockMode=True PCBaudrate=14400 "
              "RunAddress=-5 RunAfterDownload=True SecureMode=False SecurityBitsOption=False "
              "SerialSafeMode=True VerifyAfterDownload=False VerifyAfterDownloadOption=True "
              "XTAL=2 fcore=32768 ");
    Settings loaded;
    EXPECT_EQ(LoadSavedData(loaded, store), "0.032768");
    EXPECT_EQ(Saved(loaded), store.Record());
}

}  // namespace
}  // namespace tovrel
