#include "core/settings.h"

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
    Settings loaded, defaults;
    loaded.GenVerifyFiles = true;
    EXPECT_EQ(LoadSavedData(loaded, MapSettingsStore{}), "0");
    LoadDefaultData(defaults);
    EXPECT_EQ(Saved(loaded).values, Saved(defaults).values);
}

// A value that does not convert, or a port outside 1 to 32, is as good as a missing key.
class UnreadableValue : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};
TEST_P(UnreadableValue, FallsBackToTheMissingKeyDefault) {
    Settings expected, loaded;
    LoadSavedData(expected, MapSettingsStore{});
    LoadSavedData(loaded, StoreWith(GetParam().first, GetParam().second));
    EXPECT_EQ(Saved(loaded).values, Saved(expected).values);
}
INSTANTIATE_TEST_SUITE_P(
    Settings, UnreadableValue,
    ::testing::Values(std::pair{"Comport", "0"}, std::pair{"Comport", "33"},
                      std::pair{"Comport", "65537"}, std::pair{"Comport", "COM3"},
                      std::pair{"PCBaudrate", ""}, std::pair{"PCBaudrate", "99999999999"},
                      std::pair{"XTAL", "70000"}, std::pair{"DownloadMode", "1x"},
                      std::pair{"fcore", "11.0592"}, std::pair{"EraseMode", "Yes"}));

// Every field off its default, port 32 the last one allowed; the frequency box shows fcore
// in MHz, shortest form.
TEST(Settings, SavedRecordLoadsBackUnchanged) {
    Settings saved;
    LoadDefaultData(saved);
    saved.Comport = 32;
    saved.XTAL = 2;
    saved.EraseMode = saved.SecurityBitsOption = saved.BootloadOption = false;
    saved.DownloadMode = 2;
    saved.LockMode = saved.SecureMode = saved.SerialSafeMode = true;
    saved.RunAfterDownload = saved.VerifyAfterDownload = saved.GenVerifyFiles = true;
    saved.RunAddress = -5;
    saved.fcore = 32768;
    const MapSettingsStore store = Saved(saved);
    EXPECT_EQ(store.values.size(), 18u);
    EXPECT_EQ(store.Get("EraseMode"), "False");
    Settings loaded;
    EXPECT_EQ(LoadSavedData(loaded, store), "0.032768");
    EXPECT_EQ(Saved(loaded).values, store.values);
}

}  // namespace
}  // namespace tovrel
