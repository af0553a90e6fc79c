#pragma once

#include <functional>
#include <memory>
#include <string>

#include "link/serial_port.h"
#include "link/serial_ports.h"

namespace tovrel {

// The serial port of a run, the one way every run makes it: the system's port (QSerialPort
// here, the Win32 port on Windows), wrapped in a protocol trace into traceFile when one is
// named. The trace file is created anew and each line reaches it as soon as it is complete,
// so that it survives a crash; a trace that cannot be written any more is said once on
// standard error. portName names the port the next open is for ("COM1"), for the trace.
// Empty, with the system's reason in error, when the trace file cannot be created. Like every
// Qt device, the port belongs to the thread that makes it.
std::unique_ptr<SerialPort> MakeSerialPort(const std::string& traceFile,
                                           std::function<std::string()> portName,
                                           std::string& error);

// The serial devices of this computer: from sysfs on Linux, from the registry's list of COM
// ports on Windows.
std::unique_ptr<PortFinder> MakePortFinder();

}  // namespace tovrel
