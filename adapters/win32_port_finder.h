#pragma once

#include "link/serial_ports.h"

namespace tovrel {

// The serial ports Windows lists under HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM, each
// as the \\.\COMn it opens at, in the order of their numbers. The list says nothing of USB
// adapters, so every port is described as built-in.
class Win32PortFinder : public PortFinder {
  public:
    std::vector<DetectedPort> Find() const override;
    // A DOS device name ("COM3", "\\.\COM3", "\\.\CNCA0") that the system knows, or a file.
    bool Exists(const std::string& path) const override;
};

}  // namespace tovrel
