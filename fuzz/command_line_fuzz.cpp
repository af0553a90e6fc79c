// The command-line switches applied through the configuration panel. The input is split
// into words at blanks; the first byte answers the serial-safe warning.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/command_line.h"
#include "config/configuration_panel.h"
#include "core/settings.h"
#include "fuzz/fuzz_support.h"

namespace {

std::vector<std::string> Words(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> words;
    std::string word;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == ' ' || c == '\n' || c == '\t') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tovrel;
    if (size == 0) return 0;
    fuzzing::QuietHost host;
    host.serialSafeAnswer = (data[0] & 1) != 0;
    Settings settings;
    LoadDefaultData(settings);
    ConfigurationPanel panel(settings, host);
    panel.FillCOMPortList();
    panel.UpdateConfigurationWindow();
    SetInputArgs(panel, settings, Words(data + 1, size - 1));
    panel.UpdateConfigurationWindow();
    return 0;
}
