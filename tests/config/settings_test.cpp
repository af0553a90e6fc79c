#include "config/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/map_settings_store.h"

namespace tovrel {
namespace {

using testing::MapSettingsStore;

Settings Defaults() {
    Settings s;
    LoadDefaultData(s);
    return s;
}

void Store(MapSettingsStore& store, const std::string& key, const std::string& text) {
    store.Save(kSettingsApplication, kSettingsSection, key, text);
}

TEST(Settings, EmptyStoreLoadsTheStartUpDefaults) {
    Settings loaded;
    MapSettingsStore empty;
    EXPECT_EQ(LoadSavedData(loaded, empty), "0");
    const Settings d = Defaults();
    EXPECT_EQ(loaded.Comport, d.Comport);
    EXPECT_EQ(loaded.PCBaudrate, 9600);
    EXPECT_EQ(loaded.XTAL, 4);
    EXPECT_TRUE(loaded.EraseMode);
    EXPECT_EQ(loaded.DownloadMode, 1);
    EXPECT_FALSE(loaded.LockMode || loaded.SecureMode || loaded.SerialSafeMode);
    EXPECT_EQ(loaded.RunAddress, 0);
    EXPECT_FALSE(loaded.RunAfterDownload || loaded.VerifyAfterDownload || loaded.Bootload);
    EXPECT_FALSE(loaded.GenVerifyFiles);
    EXPECT_TRUE(loaded.SecurityBitsOption && loaded.FastBaudrateOption &&
                loaded.VerifyAfterDownloadOption && loaded.BootloadOption);
    EXPECT_EQ(loaded.fcore, 0);
}

struct ComportCase {
    std::string stored;
    std::int16_t loaded;
};

class ComportRange : public ::testing::TestWithParam<ComportCase> {};

TEST_P(ComportRange, OutsideOneTo32LoadsAsOne) {
    MapSettingsStore store;
    Store(store, "Comport", GetParam().stored);
    Settings s = Defaults();
    LoadSavedData(s, store);
    EXPECT_EQ(s.Comport, GetParam().loaded);
}

INSTANTIATE_TEST_SUITE_P(Settings, ComportRange,
                         ::testing::Values(ComportCase{"0", 1}, ComportCase{"33", 1},
                                           ComportCase{"-5", 1}, ComportCase{"32", 32},
                                           ComportCase{"1", 1}, ComportCase{"7", 7},
                                           ComportCase{"65537", 1}, ComportCase{"COM3", 1}));

struct UnreadableCase {
    std::string key;
    std::string stored;
};

class UnreadableValue : public ::testing::TestWithParam<UnreadableCase> {};

// A value that does not convert is as good as a missing key: the empty store's result.
TEST_P(UnreadableValue, FallsBackToTheMissingKeyDefault) {
    MapSettingsStore empty;
    Settings expected;
    LoadSavedData(expected, empty);

    MapSettingsStore store;
    Store(store, GetParam().key, GetParam().stored);
    Settings loaded;
    LoadSavedData(loaded, store);
    MapSettingsStore a, b;
    SaveSavedData(expected, a);
    SaveSavedData(loaded, b);
    EXPECT_EQ(a.values, b.values);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, UnreadableValue,
    ::testing::Values(UnreadableCase{"PCBaudrate", "fast"}, UnreadableCase{"PCBaudrate", ""},
                      UnreadableCase{"PCBaudrate", "99999999999"}, UnreadableCase{"XTAL", "70000"},
                      UnreadableCase{"DownloadMode", "1x"}, UnreadableCase{"RunAddress", "0x100"},
                      UnreadableCase{"fcore", "11.0592"}, UnreadableCase{"EraseMode", "Yes"},
                      UnreadableCase{"EraseMode", "1"}, UnreadableCase{"SecurityBitsOption", ""},
                      UnreadableCase{"BootloadOption", "Tru"}));

TEST(Settings, BooleansLoadFromTheirText) {
    MapSettingsStore store;
    Store(store, "EraseMode", "False");
    Store(store, "LockMode", "True");
    Settings s = Defaults();
    LoadSavedData(s, store);
    EXPECT_FALSE(s.EraseMode);
    EXPECT_TRUE(s.LockMode);
    EXPECT_TRUE(s.SecurityBitsOption);  // missing: true
}

TEST(Settings, SavedRecordLoadsBackUnchanged) {
    Settings saved = Defaults();
    saved.Comport = 32;
    saved.PCBaudrate = 14400;
    saved.XTAL = 2;
    saved.EraseMode = false;
    saved.DownloadMode = 2;
    saved.LockMode = saved.SecureMode = saved.SerialSafeMode = true;
    saved.RunAddress = -5;
    saved.RunAfterDownload = saved.VerifyAfterDownload = saved.GenVerifyFiles = true;
    saved.Bootload = true;
    saved.SecurityBitsOption = saved.FastBaudrateOption = false;
    saved.VerifyAfterDownloadOption = saved.BootloadOption = false;
    saved.fcore = 2147483647;
    MapSettingsStore store;
    SaveSavedData(saved, store);

    EXPECT_EQ(store.values.size(), 18u);
    EXPECT_EQ(store.Get("RunAddress"), "-5");
    EXPECT_EQ(store.Get("EraseMode"), "False");
    EXPECT_EQ(store.Get("Bootload"), "True");
    EXPECT_EQ(store.Get("fcore"), "2147483647");

    Settings loaded;
    LoadSavedData(loaded, store);
    MapSettingsStore again;
    SaveSavedData(loaded, again);
    EXPECT_EQ(again.values, store.values);
    EXPECT_EQ(loaded.RunAddress, -5);
}

struct FrequencyCase {
    std::string fcore;
    std::string text;
};

class FrequencyBox : public ::testing::TestWithParam<FrequencyCase> {};

TEST_P(FrequencyBox, ShowsTheCoreClockInMHzInShortestForm) {
    MapSettingsStore store;
    Store(store, "fcore", GetParam().fcore);
    Settings s;
    EXPECT_EQ(LoadSavedData(s, store), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Settings, FrequencyBox,
                         ::testing::Values(FrequencyCase{"11059200", "11.0592"},
                                           FrequencyCase{"0", "0"}, FrequencyCase{"20000000", "20"},
                                           FrequencyCase{"32768", "0.032768"},
                                           FrequencyCase{"12582912", "12.582912"},
                                           FrequencyCase{"1", "0.000001"},
                                           FrequencyCase{"-1843200", "-1.8432"}));

}  // namespace
}  // namespace tovrel
