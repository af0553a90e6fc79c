#include "app/headless_run.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "adapters/port_factory.h"
#include "adapters/run_context.h"
#include "app/console_host.h"
#include "app/long_option_run.h"
#include "app/stop_signals.h"
#include "core/user_texts.h"
#include "link/port_names.h"
#include "workflow/tovrel_form.h"

namespace tovrel::app {
namespace {

bool SerialSafeConfirmed() {
    const char* value = std::getenv(kConfirmSerialSafeVariable);
    return value != nullptr && std::string(value) == "yes";
}

}  // namespace

int RunHeadless(int argc, char** argv, const ParsedCommandLine& line) {
    ConsoleHost::Options options;
    options.words = line.classicWords;
    // Made before the serial port and the settings store, which may need it.
    const RunContext context(argc, argv);
    options.programFolder = ProgramFolder();
    options.confirmSerialSafe = SerialSafeConfirmed();
    options.progressOnTerminal = isatty(STDERR_FILENO) != 0;
    ConsoleHost host(std::move(options), std::cout, std::cerr);

    TovrelForm* named = nullptr;  // the form, once made, names the port for the trace
    std::string traceError;
    const std::unique_ptr<SerialPort> port = MakeSerialPort(
        line.options.traceFile, [&named] { return ComportName(named->settings().Comport); },
        traceError);
    if (!port) return ReportTraceFailure(host, line.options.traceFile, traceError);
    const std::unique_ptr<SettingsStore> store = MakeSettingsStore();
    TovrelForm form(host, *port, *store);
    named = &form;
    form.SetLineOptions(line.options.before, line.options.after);
    MainWindowModel& window = form.mainWindow();
    window.onStatusAppended = [&host](const std::string& text) { host.StatusAppended(text); };
    window.onChanged = [&host, &window] { host.ProgressChanged(window.ProgressState()); };
    form.Form_Load();
    return form.ExitStatus();
}

int RunStoppable(int argc, char** argv, const ParsedCommandLine& line) {
    CatchStopSignals();
    return StatusAfterStop(RunHeadless(argc, argv, line));
}

int StatusAfterStop(int status) {
    if (const int signal = StopSignal(); signal != 0) {
        std::cerr << kCommandPrefix << Tr(ProgramTranslator(), kStoppedNote, SignalName(signal))
                  << '\n';
        return ExitStatusForSignal(signal);
    }
    return status;
}

}  // namespace tovrel::app
