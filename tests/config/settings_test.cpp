#include "config/settings.h"

#include <gtest/gtest.h>

#include "tests/support/map_settings_store.h"

namespace tovrel {
namespace {

using testing::MapSettingsStore;

MapSettingsStore StoreWith(const std::string& key, const std::string& text) {
    MapSettingsStore store;
    store.Save(kSettingsApplication, kSettingsSection, key, text);
    return store;
}

// The record as the store sees it, so that two records compare field by field.
MapSettingsStore Saved(const Settings& s) {
    MapSettingsStore store;
    SaveSavedData(s, store);
    return store;
}

TEST(Settings, EmptyStoreLoadsTheStartUpDefaults) {
    Settings loaded;
    loaded.GenVerifyFiles = true;
    loaded.fcore = 5;
    EXPECT_EQ(LoadSavedData(loaded, MapSettingsStore{}), "0");
    Settings defaults;
    LoadDefaultData(defaults);
    EXPECT_EQ(Saved(loaded).values, Saved(defaults).values);
    EXPECT_FALSE(loaded.GenVerifyFiles);
    EXPECT_EQ(loaded.fcore, 0);
}

class ComportRange : public ::testing::TestWithParam<std::pair<const char*, int>> {};
TEST_P(ComportRange, OutsideOneTo32LoadsAsOne) {
    Settings s;
    LoadSavedData(s, StoreWith("Comport", GetParam().first));
    EXPECT_EQ(s.Comport, GetParam().second);
}
INSTANTIATE_TEST_SUITE_P(Settings, ComportRange,
                         ::testing::Values(std::pair{"0", 1}, std::pair{"33", 1},
                                           std::pair{"-5", 1}, std::pair{"32", 32},
                                           std::pair{"7", 7}, std::pair{"65537", 1},
                                           std::pair{"COM3", 1}));

// A value that does not convert is as good as a missing key.
class UnreadableValue : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};
TEST_P(UnreadableValue, FallsBackToTheMissingKeyDefault) {
    Settings expected, loaded;
    LoadSavedData(expected, MapSettingsStore{});
    LoadSavedData(loaded, StoreWith(GetParam().first, GetParam().second));
    EXPECT_EQ(Saved(loaded).values, Saved(expected).values);
}
INSTANTIATE_TEST_SUITE_P(
    Settings, UnreadableValue,
    ::testing::Values(std::pair{"PCBaudrate", "fast"}, std::pair{"PCBaudrate", ""},
                      std::pair{"PCBaudrate", "99999999999"}, std::pair{"XTAL", "70000"},
                      std::pair{"DownloadMode", "1x"}, std::pair{"fcore", "11.0592"},
                      std::pair{"EraseMode", "Yes"}, std::pair{"SecurityBitsOption", ""}));

TEST(Settings, SavedRecordLoadsBackUnchanged) {
    Settings saved;
    LoadDefaultData(saved);
    saved.Comport = 32;
    saved.XTAL = 2;
    saved.EraseMode = false;
    saved.DownloadMode = 2;
    saved.LockMode = saved.SecureMode = saved.SerialSafeMode = true;
    saved.RunAddress = -5;
    saved.RunAfterDownload = saved.VerifyAfterDownload = saved.GenVerifyFiles = true;
    saved.SecurityBitsOption = saved.BootloadOption = false;
    saved.fcore = 2147483647;
    const MapSettingsStore store = Saved(saved);
    EXPECT_EQ(store.values.size(), 18u);
    EXPECT_EQ(store.Get("RunAddress"), "-5");
    EXPECT_EQ(store.Get("EraseMode"), "False");
    EXPECT_EQ(store.Get("LockMode"), "True");

    Settings loaded;
    LoadSavedData(loaded, store);
    EXPECT_EQ(Saved(loaded).values, store.values);
}

class FrequencyBox : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};
TEST_P(FrequencyBox, ShowsTheCoreClockInMHzInShortestForm) {
    Settings s;
    EXPECT_EQ(LoadSavedData(s, StoreWith("fcore", GetParam().first)), GetParam().second);
}
INSTANTIATE_TEST_SUITE_P(Settings, FrequencyBox,
                         ::testing::Values(std::pair{"11059200", "11.0592"}, std::pair{"0", "0"},
                                           std::pair{"20000000", "20"},
                                           std::pair{"32768", "0.032768"},
                                           std::pair{"-1843200", "-1.8432"}));

}  // namespace
}  // namespace tovrel
