#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/configuration_panel.h"
#include "core/settings.h"

namespace tovrel {

// Applies the words of a command-line run to the configuration panel, exactly as the
// corresponding clicks would, and then copies the panel into the record. Word 0 is the
// download file and never a switch; the switches (matched without regard to case) are
// applied kind by kind in a fixed order; unknown words are ignored without a message.
// Sets CmdHexFileName, CmdDataFileName and BatchPauseSeconds; file names keep their case.
void SetInputArgs(ConfigurationPanel& panel, Settings& settings,
                  const std::vector<std::string>& words);

// Whether the word is one of the switches SetInputArgs applies ("/V", "/c:3", "/X:16"...):
// anything else in a line of switches only would be a file.
bool IsClassicSwitch(const std::string& word);

// The port the /C switches of these words select, by the rules SetInputArgs applies; comport
// when they select none.
std::int16_t CommandLineComport(const std::vector<std::string>& words, std::int16_t comport);

}  // namespace tovrel
