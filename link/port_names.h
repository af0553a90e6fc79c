#pragma once

#include <string>

#include "core/settings.h"

namespace tovrel {

inline constexpr const char* kPortsSection = "Ports";

// "COM3": the name of the list entry for comport.
std::string ComportName(int comport);

// The device that the list entry "COM" + comport stands for. On Windows that is the port
// COMn itself. Elsewhere the environment variable TOVREL_COMn wins, then the key COMn in
// the store's "Ports" section, then /dev/ttyS(n-1), the n-th on-board port.
std::string PortDevicePath(int comport, const SettingsStore& store);

}  // namespace tovrel
