#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tovrel {

// One serial device of this computer, as the system describes it.
struct DetectedPort {
    std::string device;  // the path that opens it: "/dev/ttyUSB0"
    std::string
        stableName;  // a path that survives re-plugging ("/dev/serial/by-id/..."); empty: none
    bool usb = false;
    // What a USB adapter says of itself; empty where it says nothing.
    std::string vendorId, productId, maker, product, serial;

    // The path worth keeping for this device: the stable name where there is one.
    const std::string& PathToKeep() const { return stableName.empty() ? device : stableName; }
    bool operator==(const DetectedPort&) const = default;
    // True when path opens this device: its own path or its stable name.
    bool OpensAt(const std::string& path) const {
        return path == device || (!stableName.empty() && path == stableName);
    }
};

// The serial devices of this computer: on Linux read from sysfs and /dev/serial/by-id.
// Windows fills it in from its own list of ports.
class PortFinder {
  public:
    virtual ~PortFinder() = default;
    // Every serial device, built-in ports and USB adapters, in the order of their paths.
    virtual std::vector<DetectedPort> Find() const = 0;
    // Whether path names something that can be opened at all.
    virtual bool Exists(const std::string& path) const = 0;
};

// The COMn names (in their order) whose device opens port: mapPath gives the path of COMn.
std::vector<std::string> ComportsOf(const DetectedPort& port,
                                    const std::function<std::string(int comport)>& mapPath);

// "usb:SW12345" in a --ports list: the USB adapter with that serial number, wherever it is.
inline constexpr const char* kUsbPortPrefix = "usb:";
// True for "usb:" (any case) followed by a serial number.
bool IsUsbSerialName(const std::string& name);
// The serial number of such a name.
std::string UsbSerialOf(const std::string& name);
// The USB adapters among ports whose serial number is serial.
std::vector<DetectedPort> WithSerialNumber(const std::vector<DetectedPort>& ports,
                                           const std::string& serial);

// For a person choosing: "Serial Works USB UART, serial SW12345" for a USB adapter (what it
// tells of itself), "built-in" for any other port.
std::string PortDescription(const DetectedPort& port);

}  // namespace tovrel
