#include "station/port_listing.h"

#include "station/board_result.h"

namespace tovrel {
namespace {

constexpr const char* kFieldGap = "  ";
constexpr const char* kNoComport = "-";
constexpr const char* kJsonNull = "null";

std::string JsonOrNull(const std::string& text) {
    return text.empty() ? kJsonNull : JsonString(text);
}

std::string Joined(const std::vector<std::string>& names, const std::string& separator) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : separator) + name;
    return text;
}

}  // namespace

std::string ListedPortText(const DetectedPort& port, const std::vector<std::string>& comports) {
    std::string line = comports.empty() ? kNoComport : Joined(comports, ",");
    line += kFieldGap + port.device + kFieldGap;
    if (!port.usb) return line + "built-in\n";
    line += "USB " + port.vendorId + ":" + port.productId;
    const std::pair<const char*, const std::string*> told[] = {
        {"maker", &port.maker}, {"product", &port.product}, {"serial", &port.serial}};
    for (const auto& [name, text] : told) {
        if (!text->empty()) line += kFieldGap + std::string(name) + " " + JsonString(*text);
    }
    line += "\n";
    if (!port.stableName.empty()) line += kFieldGap + port.stableName + "\n";
    return line;
}

std::string ListedPortJson(const DetectedPort& port, const std::vector<std::string>& comports) {
    std::vector<std::string> quoted;
    for (const std::string& name : comports) quoted.push_back(JsonString(name));
    return "{\"device\": " + JsonString(port.device) +
           ", \"by_id\": " + JsonOrNull(port.stableName) + ", \"comports\": [" +
           Joined(quoted, ", ") + "], \"usb\": " + (port.usb ? "true" : "false") +
           ", \"vendor_id\": " + JsonOrNull(port.vendorId) +
           ", \"product_id\": " + JsonOrNull(port.productId) +
           ", \"maker\": " + JsonOrNull(port.maker) + ", \"product\": " + JsonOrNull(port.product) +
           ", \"serial\": " + JsonOrNull(port.serial) + "}\n";
}

}  // namespace tovrel
