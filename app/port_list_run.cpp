#include "app/port_list_run.h"

#include <algorithm>
#include <iostream>

#include "adapters/port_factory.h"
#include "adapters/run_context.h"
#include "app/long_option_run.h"
#include "core/user_texts.h"
#include "link/port_names.h"
#include "station/port_listing.h"

namespace tovrel::app {

int RunListPorts(int argc, char** argv, bool json) {
    // Made before the settings store, which maps COMn too and may need it.
    const RunContext context(argc, argv);
    const std::unique_ptr<SettingsStore> store = MakeSettingsStore();
    const auto mapPath = [&store](int comport) { return PortDevicePath(comport, *store); };
    const std::vector<DetectedPort> ports = MakePortFinder()->Find();
    for (const DetectedPort& port : ports) {
        const std::vector<std::string> comports = ComportsOf(port, mapPath);
        std::cout << (json ? ListedPortJson(port, comports) : ListedPortText(port, comports));
    }
    std::cout << std::flush;
    if (ports.empty()) {
        std::cerr << kCommandPrefix << ProgramTranslator().Translate(kNoSerialPortsNote) << '\n';
    }
    return 0;
}

std::optional<int> FindUsbPorts(ParsedCommandLine& line) {
    const std::vector<std::string>& ports = line.options.ports;
    if (std::none_of(ports.begin(), ports.end(), IsUsbSerialName)) return std::nullopt;
    ResolveUsbPorts(line, MakePortFinder()->Find());
    if (line.Usable()) return std::nullopt;
    const ProgramTranslator translator;
    std::cerr << kCommandPrefix << Tr(translator, line.errorText, line.errorArgument) << '\n'
              << kCommandPrefix << translator.Translate(kUsageHint) << '\n';
    return kExitUsage;
}

}  // namespace tovrel::app
