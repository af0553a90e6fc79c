#pragma once

#include <map>
#include <string>
#include <tuple>

#include "core/settings.h"

namespace tovrel::testing {

// Settings store in memory, keyed by (application, section, key).
class MapSettingsStore : public SettingsStore {
  public:
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values;

    std::string Read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& defaultText) const override {
        auto it = values.find({application, section, key});
        return it == values.end() ? defaultText : it->second;
    }
    void Save(const std::string& application, const std::string& section, const std::string& key,
              const std::string& text) override {
        values[{application, section, key}] = text;
    }
    // Every key of the record's section as "key=text ", in the order of the keys.
    std::string Record() const {
        std::string text;
        for (const auto& [key, value] : values) {
            if (key == std::tuple(kSettingsApplication, kSettingsSection, std::get<2>(key)))
                text += std::get<2>(key) + "=" + value + " ";
        }
        return text;
    }
};

}  // namespace tovrel::testing
