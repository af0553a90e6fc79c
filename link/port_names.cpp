#include "link/port_names.h"

#include <cstdlib>

namespace tovrel {

std::string ComportName(int comport) { return "COM" + std::to_string(comport); }

std::string PortVariable(int comport) { return "TOVREL_" + ComportName(comport); }

PortMapping MapComport(int comport, const SettingsStore& store) {
    const std::string name = ComportName(comport);
    if (const char* fromEnvironment = std::getenv(PortVariable(comport).c_str());
        fromEnvironment != nullptr && *fromEnvironment != '\0') {
        return {fromEnvironment, PortSource::Environment};
    }
    std::string fromStore = store.Read(kSettingsApplication, kPortsSection, name, "");
    if (!fromStore.empty()) return {fromStore, PortSource::Settings};
    return {DefaultComportPath(comport), PortSource::Default};
}

std::string PortDevicePath(int comport, const SettingsStore& store) {
    return MapComport(comport, store).path;
}

}  // namespace tovrel
