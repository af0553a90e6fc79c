// placeholder until the Win32 adapter lands
#include "adapters/registry_settings_store.h"

namespace tovrel {

std::string RegistrySettingsStore::Read(const std::string&, const std::string&, const std::string&,
                                        const std::string& defaultText) const {
    return defaultText;
}

void RegistrySettingsStore::Save(const std::string&, const std::string&, const std::string&,
                                 const std::string&) {}

}  // namespace tovrel
