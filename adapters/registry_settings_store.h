// placeholder until the Win32 adapter lands
#pragma once

#include "core/settings.h"

namespace tovrel {

class RegistrySettingsStore : public SettingsStore {
  public:
    std::string Read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& defaultText) const override;
    void Save(const std::string& application, const std::string& section, const std::string& key,
              const std::string& text) override;
};

}  // namespace tovrel
