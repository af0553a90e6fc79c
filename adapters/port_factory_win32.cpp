// The port factory of the Windows build: the Win32 port and the registry's list of COM ports.
#include "adapters/port_factory.h"
#include "adapters/port_trace.h"
#include "adapters/win32_port_finder.h"
#include "adapters/win32_serial_port.h"

namespace tovrel {
namespace {

// The Windows build has no translation tables: its texts are the program's own.
class Untranslated : public Translator {
  public:
    std::string Translate(const char* text) const override { return text; }
};

}  // namespace

std::unique_ptr<SerialPort> MakeSerialPort(const std::string& traceFile,
                                           std::function<std::string()> portName,
                                           std::string& error) {
    auto port = std::make_unique<Win32SerialPort>();
    if (traceFile.empty()) return port;
    return WithTrace(std::move(port), traceFile, std::move(portName), Untranslated(), error);
}

std::unique_ptr<PortFinder> MakePortFinder() { return std::make_unique<Win32PortFinder>(); }

}  // namespace tovrel
