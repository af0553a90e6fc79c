#pragma once

#include <string>

#include "config/settings.h"

namespace tovrel {

// The device path of the port COMn (link/port_names.h).
std::string PortDevicePath(int comport, const SettingsStore& store);

}  // namespace tovrel
