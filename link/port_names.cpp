#include "link/port_names.h"

#include <cstdlib>

namespace tovrel {

std::string ComportName(int comport) { return "COM" + std::to_string(comport); }

std::string PortDevicePath(int comport, const SettingsStore& store) {
    const std::string name = ComportName(comport);
#ifdef _WIN32
    (void)store;
    return name;
#else
    const std::string variable = "TOVREL_" + name;
    if (const char* fromEnvironment = std::getenv(variable.c_str());
        fromEnvironment != nullptr && *fromEnvironment != '\0') {
        return fromEnvironment;
    }
    std::string fromStore = store.Read(kSettingsApplication, kPortsSection, name, "");
    if (!fromStore.empty()) return fromStore;
    // Serial devices count from 0 where the list counts from 1.
    return "/dev/ttyS" + std::to_string(comport - 1);
#endif
}

}  // namespace tovrel
