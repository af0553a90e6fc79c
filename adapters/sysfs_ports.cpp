#include "adapters/sysfs_ports.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>

namespace tovrel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTtyClass = "sys/class/tty";
constexpr const char* kStableFolder = "dev/serial/by-id";
constexpr const char* kShownStableFolder = "/dev/serial/by-id/";
constexpr const char* kUnknownPortType = "0";
// From the tty's device up to the USB device that carries the maker's strings: the port
// (usb-serial), the interface, the device.
constexpr int kLevelsToUsbDevice = 4;

// The first line of a sysfs attribute, without its line end; empty when there is none.
std::string Attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    return line;
}

// The entries of a folder; none when it cannot be read.
std::vector<fs::path> Entries(const fs::path& folder) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        entries.push_back(it->path());
    }
    return entries;
}

// udev's stable names by the tty each leads to (its links are relative: ../../ttyUSB0). Where
// several lead to one tty, the first in order is kept, so the choice does not wander.
std::map<std::string, std::string> StableNames(const fs::path& folder) {
    std::vector<fs::path> links = Entries(folder);
    std::sort(links.begin(), links.end());
    std::map<std::string, std::string> names;
    for (const fs::path& link : links) {
        std::error_code error;
        fs::path target = fs::read_symlink(link, error);
        if (error) continue;
        if (target.is_relative()) target = link.parent_path() / target;
        names.emplace(target.lexically_normal().filename().string(),
                      kShownStableFolder + link.filename().string());
    }
    return names;
}

// What the USB device above the tty's device says of itself, where there is one.
void ReadUsbDevice(const fs::path& deviceLink, DetectedPort& port) {
    std::error_code error;
    fs::path folder = fs::canonical(deviceLink, error);
    for (int level = 0; !error && level < kLevelsToUsbDevice && folder.has_relative_path();
         ++level, folder = folder.parent_path()) {
        if (!fs::exists(folder / "idVendor", error)) continue;
        port.usb = true;
        port.vendorId = Attribute(folder / "idVendor");
        port.productId = Attribute(folder / "idProduct");
        port.maker = Attribute(folder / "manufacturer");
        port.product = Attribute(folder / "product");
        port.serial = Attribute(folder / "serial");
        return;
    }
}

// "ttyS2" before "ttyS10": runs of digits compare as numbers.
bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) &&
            std::isdigit(static_cast<unsigned char>(b[j]))) {
            unsigned long x = 0, y = 0;
            const auto endA = std::from_chars(a.data() + i, a.data() + a.size(), x).ptr;
            const auto endB = std::from_chars(b.data() + j, b.data() + b.size(), y).ptr;
            if (x != y) return x < y;
            i = static_cast<std::size_t>(endA - a.data());
            j = static_cast<std::size_t>(endB - b.data());
        } else if (a[i] != b[j]) {
            return a[i] < b[j];
        } else {
            ++i, ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

}  // namespace

std::vector<DetectedPort> SysfsPortFinder::Find() const {
    const std::map<std::string, std::string> stable = StableNames(fs::path(m_root) / kStableFolder);
    std::vector<DetectedPort> ports;
    for (const fs::path& tty : Entries(fs::path(m_root) / kTtyClass)) {
        std::error_code error;
        // Virtual consoles and pseudo-terminals have no device behind them.
        if (!fs::exists(tty / "device", error)) continue;
        if (Attribute(tty / "type") == kUnknownPortType) continue;
        DetectedPort port;
        const std::string name = tty.filename().string();
        port.device = "/dev/" + name;
        if (const auto found = stable.find(name); found != stable.end()) {
            port.stableName = found->second;
        }
        ReadUsbDevice(tty / "device", port);
        ports.push_back(std::move(port));
    }
    std::sort(ports.begin(), ports.end(), [](const DetectedPort& a, const DetectedPort& b) {
        return NaturalLess(a.device, b.device);
    });
    return ports;
}

bool SysfsPortFinder::Exists(const std::string& path) const {
    std::error_code error;
    // A relative path (a link the simulated device made, say) is the working folder's.
    const fs::path file(path);
    return fs::exists(file.is_absolute() ? fs::path(m_root) / file.relative_path() : file, error);
}

std::optional<int> LatencyTimerMs(const std::string& root, const std::string& ttyName) {
    if (ttyName.empty()) return std::nullopt;
    const std::string text =
        Attribute(fs::path(root) / kTtyClass / ttyName / "device" / "latency_timer");
    int ms = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), ms);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return ms;
}

std::string TtyNameOf(const std::string& path) {
    std::error_code error;
    const fs::path file = fs::canonical(path, error);
    return error ? std::string() : file.filename().string();
}

std::string LatencyTimerNote(const std::string& root, const std::string& device) {
    const std::string name = TtyNameOf(device);
    const std::optional<int> ms = LatencyTimerMs(root, name);
    if (!ms || *ms <= 1) return {};
    const std::string timer = std::to_string(*ms) + " ms";
    return "latency_timer " + timer + " on " + name + ": each answer may wait up to " + timer +
           "; writing 1 to /" + kTtyClass + "/" + name +
           "/device/latency_timer (as root) makes it 1 ms";
}

}  // namespace tovrel
