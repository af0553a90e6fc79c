#include "adapters/registry_settings_store.h"

#include <windows.h>

#include "adapters/win32_text.h"

namespace tovrel {
namespace {

constexpr const char* kSettingsRoot = "Software\\VB and VBA Program Settings\\";
constexpr const char* kUserHive = "HKEY_CURRENT_USER\\";

std::string KeyPath(const std::string& application, const std::string& section) {
    return kSettingsRoot + application + "\\" + section;
}

// The value as stored, with room for the terminating zero RegGetValueW adds; nothing when the
// key or the value is missing or holds no string.
std::optional<std::wstring> StringValue(const std::wstring& keyPath, const std::wstring& name) {
    // Another program may make the value longer between the two calls: then once again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD bytes = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, keyPath.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                         nullptr, &bytes) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, keyPath.c_str(), name.c_str(),
                                            RRF_RT_REG_SZ, nullptr, value.data(), &bytes);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return std::nullopt;
        value.resize(wcsnlen(value.c_str(), value.size()));
        return value;
    }
    return std::nullopt;
}

bool SetStringValue(const std::wstring& keyPath, const std::wstring& name,
                    const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const LSTATUS status = RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace

std::string RegistrySettingsStore::Read(const std::string& application, const std::string& section,
                                        const std::string& key,
                                        const std::string& defaultText) const {
    const std::optional<std::wstring> value =
        StringValue(Wide(KeyPath(application, section)), Wide(key));
    return value ? Narrow(*value) : defaultText;
}

void RegistrySettingsStore::Save(const std::string& application, const std::string& section,
                                 const std::string& key, const std::string& text) {
    const std::string path = KeyPath(application, section);
    if (!SetStringValue(Wide(path), Wide(key), Wide(text)) && !m_unwritten) {
        m_unwritten = kUserHive + path;
    }
}

std::string RegistrySettingsStore::Folder(const std::string& application) const {
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
    if (length == 0) return {};
    std::wstring folder(length, L'\0');
    folder.resize(GetEnvironmentVariableW(L"APPDATA", folder.data(), length));
    if (folder.empty()) return {};
    return Narrow(folder) + "\\" + application;
}

}  // namespace tovrel
