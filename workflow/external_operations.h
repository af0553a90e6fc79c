#pragma once

#include <string>
#include <vector>

#include "config/configuration_panel.h"
#include "config/settings.h"

namespace tovrel {

// The device path of the port COMn (link/port_names.h).
std::string PortDevicePath(int comport, const SettingsStore& store);

// Applies the command-line switches to the panel and the record (config/command_line.h).
void SetInputArgs(ConfigurationPanel& panel, Settings& settings,
                  const std::vector<std::string>& words);

}  // namespace tovrel
