#include "adapters/port_factory.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <system_error>

#include "adapters/qt_serial_port.h"
#include "adapters/qt_translator.h"
#include "adapters/sysfs_ports.h"
#include "core/user_texts.h"
#include "link/traced_serial_port.h"

namespace tovrel {

std::unique_ptr<SerialPort> MakeSerialPort(const std::string& traceFile,
                                           std::function<std::string()> portName,
                                           std::string& error) {
    auto port = std::make_unique<QtSerialPort>();
    if (traceFile.empty()) return port;
    std::shared_ptr<std::FILE> file(std::fopen(traceFile.c_str(), "w"), [](std::FILE* f) {
        if (f != nullptr) std::fclose(f);
    });
    if (!file) {
        error = std::generic_category().message(errno);
        return nullptr;
    }
    // One write per line, flushed at once: a crash loses no line and never half of one. A
    // trace that cannot be written (a full disk) is said once; the run goes on without it.
    auto sink = [file, traceFile, said = false](const std::string& line) mutable {
        const std::string whole = line + '\n';
        const bool written = std::fwrite(whole.data(), 1, whole.size(), file.get()) == whole.size();
        if ((std::fflush(file.get()) == 0 && written) || said) return;
        said = true;
        std::cerr << kCommandPrefix << Tr(QtTranslator(), kCannotWriteTraceError, traceFile) << ": "
                  << std::generic_category().message(errno) << '\n';
    };
    return std::make_unique<TracedSerialPort>(std::move(port), std::move(sink),
                                              std::move(portName));
}

namespace {

// Until Windows has a finder of its own, it lists no port and knows only that COMn exists.
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
