#include "adapters/port_factory.h"

#include "adapters/port_trace.h"
#include "adapters/qt_serial_port.h"
#include "adapters/qt_translator.h"
#include "adapters/sysfs_ports.h"

namespace tovrel {

std::unique_ptr<SerialPort> MakeSerialPort(const std::string& traceFile,
                                           std::function<std::string()> portName,
                                           std::string& error) {
    auto port = std::make_unique<QtSerialPort>();
    if (traceFile.empty()) return port;
    return WithTrace(std::move(port), traceFile, std::move(portName), QtTranslator(), error);
}

namespace {

// A system without sysfs lists no port and takes every name as one that exists.
class NoPortFinder : public PortFinder {
  public:
    std::vector<DetectedPort> Find() const override { return {}; }
    bool Exists(const std::string&) const override { return true; }
};

}  // namespace

std::unique_ptr<PortFinder> MakePortFinder() {
#ifdef __linux__
    return std::make_unique<SysfsPortFinder>();
#else
    return std::make_unique<NoPortFinder>();
#endif
}

}  // namespace tovrel
