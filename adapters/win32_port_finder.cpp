#include "adapters/win32_port_finder.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <tuple>

#include "adapters/win32_text.h"
#include "link/port_names.h"

namespace tovrel {
namespace {

constexpr const wchar_t* kSerialCommKey = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr std::string_view kDeviceNamespace = "\\\\.\\";
constexpr DWORD kNameRoom = 256;  // a value name in the registry has at most 255 characters
constexpr DWORD kTargetRoom = 1024;

// "\\.\COM12" sorts by its number after "\\.\COM9".
std::tuple<std::string, std::size_t, std::string> SortKey(const std::string& device) {
    const std::size_t stem = device.find_last_not_of("0123456789") + 1;
    return {device.substr(0, stem), device.size() - stem, device};
}

// The port names the SERIALCOMM key lists: one string value per port, "COM3" and the like.
std::vector<std::wstring> SerialCommNames() {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return names;
    }
    for (DWORD index = 0;; ++index) {
        std::array<wchar_t, kNameRoom> name{};
        std::array<wchar_t, kNameRoom> data{};
        DWORD nameLength = kNameRoom;
        DWORD dataBytes = sizeof data - sizeof(wchar_t);  // room for a zero it may lack
        DWORD type = 0;
        const LSTATUS status = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type,
                                             reinterpret_cast<BYTE*>(data.data()), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || type != REG_SZ) continue;
        names.emplace_back(data.data());
    }
    RegCloseKey(key);
    return names;
}

// A DOS device name the system knows (Windows answers for "COM3"; wine only for the ports it
// found itself, yet it finds the file of every device it maps), or a file.
bool Known(const std::wstring& name) {
    std::array<wchar_t, kTargetRoom> target{};
    return QueryDosDeviceW(name.c_str(), target.data(), kTargetRoom) != 0 ||
           GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::vector<DetectedPort> Win32PortFinder::Find() const {
    std::vector<DetectedPort> ports;
    for (const std::wstring& name : SerialCommNames()) {
        if (name.empty()) continue;
        DetectedPort port;
        port.device = Win32DevicePath(Narrow(name));
        ports.push_back(std::move(port));
    }
    std::sort(ports.begin(), ports.end(), [](const DetectedPort& a, const DetectedPort& b) {
        return SortKey(a.device) < SortKey(b.device);
    });
    return ports;
}

bool Win32PortFinder::Exists(const std::string& path) const {
    if (path.empty()) return false;
    std::string name = path;
    if (name.starts_with(kDeviceNamespace)) name.erase(0, kDeviceNamespace.size());
    return Known(Wide(name)) || Known(Wide(path));
}

}  // namespace tovrel
