// placeholder until the Win32 adapter lands
#include "adapters/port_factory.h"
#include "adapters/win32_serial_port.h"

namespace tovrel {
namespace {

class NoPortFinder : public PortFinder {
  public:
    std::vector<DetectedPort> Find() const override { return {}; }
    bool Exists(const std::string&) const override { return true; }
};

}  // namespace

std::unique_ptr<SerialPort> MakeSerialPort(const std::string&, std::function<std::string()>,
                                           std::string&) {
    return std::make_unique<Win32SerialPort>();
}

std::unique_ptr<PortFinder> MakePortFinder() { return std::make_unique<NoPortFinder>(); }

}  // namespace tovrel
