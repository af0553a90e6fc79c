#pragma once

#include <map>
#include <memory>
#include <string>

#include "core/settings.h"

class QSettings;

namespace tovrel {

// The per-user store over QSettings in the platform's native form: on Linux the file
// $XDG_CONFIG_HOME/<application>/<application>.conf (~/.config when unset), one [section]
// per section, values as plain text. Saved values reach the file together, once, when the
// store goes away: one lock and one write for the whole record instead of one per key.
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
    // Writes what was saved so far to the file.
    void Flush();

  private:
    QSettings& For(const std::string& application) const;
    mutable std::map<std::string, std::unique_ptr<QSettings>> m_stores;
};

}  // namespace tovrel
