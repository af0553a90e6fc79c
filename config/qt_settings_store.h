#pragma once

#include "config/settings.h"

namespace tovrel {

// The per-user store over QSettings in the platform's native form: on Linux the file
// $XDG_CONFIG_HOME/<application>/<application>.conf (~/.config when unset), one [section]
// per section, values as plain text.
class QtSettingsStore : public SettingsStore {
  public:
    std::string Read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& defaultText) const override;
    void Save(const std::string& application, const std::string& section, const std::string& key,
              const std::string& text) override;
};

}  // namespace tovrel
