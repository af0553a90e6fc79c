#include "link/serial_ports.h"

#include <cctype>

#include "core/settings.h"
#include "link/port_names.h"

namespace tovrel {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

constexpr std::size_t kUsbPrefixSize = std::char_traits<char>::length(kUsbPortPrefix);

}  // namespace

std::vector<std::string> ComportsOf(const DetectedPort& port,
                                    const std::function<std::string(int comport)>& mapPath) {
    std::vector<std::string> names;
    for (int n = kFirstComport; n <= kLastComport; ++n) {
        if (port.OpensAt(mapPath(n))) names.push_back(ComportName(n));
    }
    return names;
}

bool IsUsbSerialName(const std::string& name) {
    return name.size() > kUsbPrefixSize && Lower(name.substr(0, kUsbPrefixSize)) == kUsbPortPrefix;
}

std::string UsbSerialOf(const std::string& name) { return name.substr(kUsbPrefixSize); }

std::vector<DetectedPort> WithSerialNumber(const std::vector<DetectedPort>& ports,
                                           const std::string& serial) {
    std::vector<DetectedPort> found;
    for (const DetectedPort& port : ports) {
        if (port.usb && port.serial == serial) found.push_back(port);
    }
    return found;
}

std::string PortDescription(const DetectedPort& port) {
    if (!port.usb) return "built-in";
    std::string text = port.maker;
    if (!port.product.empty()) text += (text.empty() ? "" : " ") + port.product;
    if (text.empty()) text = "USB " + port.vendorId + ":" + port.productId;
    if (!port.serial.empty()) text += ", serial " + port.serial;
    return text;
}

}  // namespace tovrel
