#pragma once

#include <optional>
#include <string>

#include "link/serial_ports.h"

namespace tovrel {

// The serial devices the Linux kernel knows, read from sysfs (/sys/class/tty) and the stable
// names udev makes (/dev/serial/by-id), below a root folder: "/" for this computer, a fake
// tree in tests. Needs no service of its own. A tty without a device behind it (a virtual
// console, a pseudo-terminal) is no serial port, and neither is a built-in port the kernel
// found no chip for (its "type" is 0).
class SysfsPortFinder : public PortFinder {
  public:
    explicit SysfsPortFinder(std::string root = "/") : m_root(std::move(root)) {}

    std::vector<DetectedPort> Find() const override;
    bool Exists(const std::string& path) const override;

  private:
    std::string m_root;
};

// The latency timer in milliseconds of the USB adapter behind the tty named ttyName
// ("ttyUSB0"), where its driver shows one in sysfs; nothing for any other port.
std::optional<int> LatencyTimerMs(const std::string& root, const std::string& ttyName);

// The kernel's name of the tty a path opens ("ttyUSB0" for /dev/serial/by-id/usb-...):
// the name of the file the path leads to; empty when it leads nowhere.
std::string TtyNameOf(const std::string& path);

// For the trace, when the adapter behind device (as opened) holds each answer longer than
// 1 ms: "latency_timer 16 ms on ttyUSB0: ..."; empty otherwise.
std::string LatencyTimerNote(const std::string& root, const std::string& device);

}  // namespace tovrel
