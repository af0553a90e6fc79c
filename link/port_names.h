#pragma once

#include <string>

#include "core/settings.h"

namespace tovrel {

inline constexpr const char* kPortsSection = "Ports";

// "COM3": the name of the list entry for comport.
std::string ComportName(int comport);

// Where the path of a COMn comes from.
enum class PortSource { Environment, Settings, Default };
struct PortMapping {
    std::string path;
    PortSource source = PortSource::Default;
};

// The device that the list entry "COM" + comport stands for: the environment variable
// TOVREL_COMn wins, then the key COMn in the store's "Ports" section, then the system's own
// name of the port.
PortMapping MapComport(int comport, const SettingsStore& store);
// The system's own name of COMn: /dev/ttyS(n-1), the n-th on-board port; on Windows \\.\COMn.
std::string DefaultComportPath(int comport);
std::string PortDevicePath(int comport, const SettingsStore& store);

// "TOVREL_COM3": the environment variable that maps COMn.
std::string PortVariable(int comport);

// The name Windows opens a port by: "COM12" (any case) becomes "\\.\COM12", since only the
// device namespace reaches the ports above COM9; every other name (already "\\.\COM3", or
// another device a mapping names) stays as it is.
std::string Win32DevicePath(const std::string& device);

}  // namespace tovrel
