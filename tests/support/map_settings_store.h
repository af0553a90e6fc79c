#pragma once

#include <map>
#include <string>
#include <tuple>

#include "core/settings.h"

namespace tovrel::testing {

// Settings store in memory, keyed by (application, section, key).
class MapSettingsStore : public SettingsStore {
  public:
    using Key = std::tuple<std::string, std::string, std::string>;
    std::map<Key, std::string> values;

    std::string Read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& defaultText) const override {
        auto it = values.find({application, section, key});
        return it == values.end() ? defaultText : it->second;
    }
    void Save(const std::string& application, const std::string& section, const std::string& key,
              const std::string& text) override {
        values[{application, section, key}] = text;
    }
    std::string Get(const std::string& key) const {
        auto it = values.find({kSettingsApplication, kSettingsSection, key});
        return it == values.end() ? std::string("<missing>") : it->second;
    }
};

}  // namespace tovrel::testing
