#include "link/port_names.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "core/os_files.h"

namespace tovrel {
namespace {

constexpr std::string_view kComPrefix = "COM";
constexpr std::string_view kDeviceNamespace = "\\\\.\\";

bool IsComName(const std::string& name) {
    if (name.size() <= kComPrefix.size()) return false;
    const bool prefixed =
        std::equal(kComPrefix.begin(), kComPrefix.end(), name.begin(),
                   [](char a, char b) { return a == std::toupper(static_cast<unsigned char>(b)); });
    return prefixed && std::all_of(name.begin() + kComPrefix.size(), name.end(), [](char c) {
               return std::isdigit(static_cast<unsigned char>(c)) != 0;
           });
}

}  // namespace

std::string ComportName(int comport) { return "COM" + std::to_string(comport); }

std::string PortVariable(int comport) { return "TOVREL_" + ComportName(comport); }

PortMapping MapComport(int comport, const SettingsStore& store) {
    const std::string name = ComportName(comport);
    if (std::optional<std::string> fromEnvironment = EnvironmentValue(PortVariable(comport));
        fromEnvironment && !fromEnvironment->empty()) {
        return {*fromEnvironment, PortSource::Environment};
    }
    std::string fromStore = store.Read(kSettingsApplication, kPortsSection, name, "");
    if (!fromStore.empty()) return {fromStore, PortSource::Settings};
    return {DefaultComportPath(comport), PortSource::Default};
}

std::string PortDevicePath(int comport, const SettingsStore& store) {
    return MapComport(comport, store).path;
}

std::string Win32DevicePath(const std::string& device) {
    return IsComName(device) ? std::string(kDeviceNamespace) + device : device;
}

}  // namespace tovrel
