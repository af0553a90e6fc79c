#pragma once

#include <optional>
#include <string>

#include "core/settings.h"

namespace tovrel {

// The per-user store where classic Windows programs keep their settings, so that what such a
// program saved is read: the key HKEY_CURRENT_USER\Software\VB and VBA Program
// Settings\<application>\<section>, one string value (REG_SZ) per key. Each value is written
// at once.
class RegistrySettingsStore : public SettingsStore {
  public:
    RegistrySettingsStore() = default;

    std::string Read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& defaultText) const override;
    void Save(const std::string& application, const std::string& section, const std::string& key,
              const std::string& text) override;
    // The first registry key a value could not be written to, by its full name.
    std::optional<std::string> Flush() override { return m_unwritten; }
    // The folder for the application's own files (the serial numbers of a bench):
    // %APPDATA%\<application>; empty when APPDATA is not set.
    std::string Folder(const std::string& application) const;

  private:
    std::optional<std::string> m_unwritten;
};

}  // namespace tovrel
