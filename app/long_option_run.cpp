#include "app/long_option_run.h"

#include <iostream>

#include "app/bench_run.h"
#include "app/headless_run.h"
#include "app/port_list_run.h"
#include "app/read_back_run.h"
#include "app/record_query_run.h"
#include "app/stop_signals.h"
#include "core/os_files.h"
#include "core/user_texts.h"
#include "link/port_names.h"
#ifdef TOVREL_WITH_WINDOW
#include "ui/run_with_window.h"
#endif

namespace tovrel::app {
namespace {

bool IsBenchRun(const LongOptions& o) {
    return o.Bench() || o.loop || o.serialFirst || !o.unitData.empty() || !o.logFile.empty() ||
           !o.database.empty() || o.json;
}

// A classic run, window or headless as without long options, with the modem lines and the
// trace the developer's options ask for.
int RunClassicWithExtras(const ParsedCommandLine& line, int argc, char** argv, bool display) {
#ifdef TOVREL_WITH_WINDOW
    if (display) return RunStoppableWindow(argc, argv, line);
#else
    (void)display;
#endif
    return RunStoppable(argc, argv, line);
}

}  // namespace

#ifdef TOVREL_WITH_WINDOW
int RunStoppableWindow(int argc, char** argv, const ParsedCommandLine& line) {
    // A command-line run echoes its log: a reader that went away stops only that (both catch
    // the broken pipe where the system has one).
    if (line.classicWords.empty()) {
        CatchWindowStopSignals();
    } else {
        CatchStopSignals();
    }
    return StatusAfterStop(RunWithWindow(argc, argv, line, [] { return StopSignal(); }));
}
#endif

int ReportTraceFailure(const Translator& translator, const std::string& file,
                       const std::string& reason) {
    std::cerr << kCommandPrefix << Tr(translator, kCannotCreateTraceError, file) << ": " << reason
              << '\n';
    return kExitUsage;
}

std::optional<int> RefuseSameDevices(const LongOptions& options, const SettingsStore& store,
                                     const Translator& translator) {
    const std::vector<std::string>& ports = options.ports;
    std::vector<std::string> devices;
    for (const std::string& port : ports) {
        const int comport = ComportOfName(port);
        devices.push_back(comport != 0 ? PortDevicePath(comport, store)
                                       : options.DevicePathOf(port));
    }
    for (std::size_t i = 0; i < devices.size(); ++i) {
        for (std::size_t k = 0; k < i; ++k) {
            if (!SameFile(devices[k], devices[i])) continue;
            std::cerr << kCommandPrefix
                      << Tr(translator, kSameDeviceError, ports[k] + " and " + ports[i]) << '\n';
            return kExitUsage;
        }
    }
    return std::nullopt;
}

int RunWithLongOptions(const ParsedCommandLine& given, int argc, char** argv, bool display) {
    if (given.options.listPorts) return RunListPorts(argc, argv, given.options.json);
    if (given.options.Query()) return RunRecordQuery(given);
    ParsedCommandLine line = given;
    if (const std::optional<int> status = FindUsbPorts(line)) return *status;
    if (!line.options.readFile.empty()) return RunReadBack(argc, argv, line);
    if (IsBenchRun(line.options)) return RunBench(line, argc, argv, display);
    return RunClassicWithExtras(line, argc, argv, display);
}

}  // namespace tovrel::app
