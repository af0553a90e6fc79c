#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "core/settings.h"

class QSettings;

namespace tovrel {

// The per-user store over QSettings in the platform's native form: on Linux the file
// $XDG_CONFIG_HOME/<application>/<application>.conf (~/.config when unset), one [section]
// per section, values as plain text. Saved values reach the file together, once, at Flush or
// when the store goes away: one lock and one write for the whole record instead of one per
// key. With neither HOME nor XDG_CONFIG_HOME set there is no such folder, and Qt would take
// the root folder's: then nothing is read or written at all.
class QtSettingsStore : public SettingsStore {
  public:
    QtSettingsStore();
    ~QtSettingsStore() override;
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    std::string Read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& defaultText) const override;
    void Save(const std::string& application, const std::string& section, const std::string& key,
              const std::string& text) override;
    std::optional<std::string> Flush() override;
    // The folder of the application's settings file; empty when there is none.
    std::string Folder(const std::string& application) const;

  private:
    QSettings& For(const std::string& application) const;
    mutable std::map<std::string, std::unique_ptr<QSettings>> m_stores;
    bool m_homeless = false;
};

}  // namespace tovrel
