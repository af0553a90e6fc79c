#include "adapters/registry_settings_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace tovrel {
namespace {

constexpr const wchar_t* kSectionKey = L"Software\\VB and VBA Program Settings\\Tovrel\\8051";
constexpr const wchar_t* kPortsKey = L"Software\\VB and VBA Program Settings\\Tovrel\\Ports";

// HKEY_CURRENT_USER of this process points into a key of its own for each test, so the user's
// settings are neither read nor touched.
class RegistryStore : public ::testing::Test {
  protected:
    RegistryStore() {
        m_scratch = L"Software\\Tovrel tests\\" + std::to_wstring(GetCurrentProcessId());
        RegCreateKeyExW(HKEY_CURRENT_USER, m_scratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &m_root, nullptr);
        m_redirected = RegOverridePredefKey(HKEY_CURRENT_USER, m_root) == ERROR_SUCCESS;
    }
    ~RegistryStore() override {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(m_root);
        RegDeleteTreeW(HKEY_CURRENT_USER, m_scratch.c_str());
    }
    static void Put(const wchar_t* key, const wchar_t* name, DWORD type, const void* data,
                    DWORD bytes) {
        RegSetKeyValueW(HKEY_CURRENT_USER, key, name, type, data, bytes);
    }
    static void PutText(const wchar_t* key, const wchar_t* name, const std::wstring& text) {
        Put(key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
    }
    // The value as another program reads it: only a string counts.
    static std::wstring Text(const wchar_t* key, const wchar_t* name) {
        wchar_t text[256] = {};
        DWORD bytes = sizeof text;
        if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
            ERROR_SUCCESS) {
            return L"(none)";
        }
        return text;
    }
    std::wstring m_scratch;
    HKEY m_root = nullptr;
    bool m_redirected = false;
};

// What the classic program saved is read: strings in UTF-16 come back as UTF-8, a value that is
// no string counts as missing.
TEST_F(RegistryStore, ReadsTheClassicProgramsValues) {
    ASSERT_TRUE(m_redirected);
    PutText(kSectionKey, L"Comport", L"7");
    PutText(kSectionKey, L"EraseMode", L"False");
    const DWORD number = 19200;
    Put(kSectionKey, L"PCBaudrate", REG_DWORD, &number, sizeof number);
    PutText(kPortsKey, L"COM3", L"\\\\.\\Ger\u00e4t\u20ac");
    RegistrySettingsStore store;
    Settings s;
    LoadSavedData(s, store);
    EXPECT_EQ(s.Comport, 7);
    EXPECT_FALSE(s.EraseMode);
    EXPECT_EQ(s.PCBaudrate, 9600);
    EXPECT_EQ(store.Read("Tovrel", "Ports", "COM3", ""), "\\\\.\\Ger\xc3\xa4t\xe2\x82\xac");
    EXPECT_EQ(store.Read("Tovrel", "Ports", "COM4", "none"), "none");
}

// Saved values are the strings a classic program reads, and they load back.
TEST_F(RegistryStore, SavesStringsAClassicProgramReads) {
    ASSERT_TRUE(m_redirected);
    RegistrySettingsStore store;
    Settings s;
    LoadDefaultData(s);
    s.RunAddress = -65536;
    s.fcore = 11059200;
    SaveSavedData(s, store);
    store.Save("Tovrel", "Ports", "COM2",
               "Gr\xc3\xbc\xc3\x9f"
               "e");
    EXPECT_EQ(store.Flush(), std::nullopt);
    EXPECT_EQ(Text(kSectionKey, L"RunAddress"), L"-65536");
    EXPECT_EQ(Text(kSectionKey, L"EraseMode"), L"True");
    EXPECT_EQ(Text(kPortsKey, L"COM2"), L"Gr\u00fc\u00dfe");
    Settings loaded;
    EXPECT_EQ(LoadSavedData(loaded, RegistrySettingsStore{}), "11.0592");
    EXPECT_EQ(loaded.RunAddress, -65536);
}

}  // namespace
}  // namespace tovrel
