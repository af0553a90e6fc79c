#include "app/read_back_run.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <optional>
#include <streambuf>
#include <system_error>

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

constexpr const char* kNoValue = "-";

// One port of the read-back and how it went.
struct PortRun {
    std::string name;  // as given (COM3, /dev/ttyUSB0); empty for the port of /C:
    std::string file;
    std::string traceFile;
    std::optional<std::string> failedStep{};
    bool interrupted = false;
    std::string device{};
    double seconds = 0;
    int status = 0;
};

// Lines that several threads write to one stream: each goes out whole, once it is complete,
// with the port's name in front.
class PrefixedLines : public std::streambuf {
  public:
    PrefixedLines(std::ostream& out, std::mutex& mutex, std::string prefix)
        : m_out(out), m_mutex(mutex), m_prefix(std::move(prefix)) {}

  protected:
    int overflow(int c) override {
        if (c == traits_type::eof()) return 0;
        if (c != '\n') {
            m_line += static_cast<char>(c);
            return c;
        }
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_out << m_prefix << m_line << '\n' << std::flush;
        m_line.clear();
        return c;
    }

  private:
    std::ostream& m_out;
    std::mutex& m_mutex;
    std::string m_prefix;
    std::string m_line;
};

// The trace files are made before any port opens, so that one that cannot be made stops the
// run before anything is sent. The port's own open makes each afresh.
std::optional<int> CheckTraceFiles(const std::vector<PortRun>& runs) {
    for (const PortRun& run : runs) {
        if (run.traceFile.empty()) continue;
        if (std::FILE* file = std::fopen(run.traceFile.c_str(), "w")) {
            std::fclose(file);
            continue;
        }
        return ReportTraceFailure(ProgramTranslator(), run.traceFile,
                                  std::generic_category().message(errno));
    }
    return std::nullopt;
}

void ReadOnePort(PortRun& run, const ParsedCommandLine& line, const std::string& programFolder,
                 std::ostream& out, std::ostream& err, bool progress) {
    ConsoleHost::Options options;
    // Word 0 is the download file, which a read-back has not: the switches follow it.
    options.words.push_back("");
    options.words.insert(options.words.end(), line.classicWords.begin(), line.classicWords.end());
    options.programFolder = programFolder;
    options.progressOnTerminal = progress;
    ConsoleHost host(std::move(options), out, err);

    TovrelForm* named = nullptr;
    std::string traceError;
    const std::unique_ptr<SerialPort> port = MakeSerialPort(
        run.traceFile,
        [&] { return run.name.empty() ? ComportName(named->settings().Comport) : run.name; },
        traceError);
    if (!port) {
        host.MessageBox(Tr(host, kCannotCreateTraceError, run.traceFile) + ": " + traceError,
                        kWarningTitle);
        run.failedStep = "reset";
        run.status = 1;
        return;
    }
    const std::unique_ptr<SettingsStore> store = MakeSettingsStore();
    TovrelForm form(host, *port, *store);
    named = &form;
    form.SetLineOptions(line.options.before, line.options.after);
    if (!run.name.empty()) {
        const int comport = ComportOfName(run.name);
        form.UsePort(static_cast<std::int16_t>(comport),
                     comport == 0 ? line.options.DevicePathOf(run.name) : "", run.name);
    }
    MainWindowModel& window = form.mainWindow();
    window.onStatusAppended = [&host](const std::string& text) { host.StatusAppended(text); };
    window.onChanged = [&host, &window] { host.ProgressChanged(window.ProgressState()); };
    const auto start = std::chrono::steady_clock::now();
    run.failedStep = form.ReadBackRun(run.file);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.interrupted = StopSignal() != 0;
    run.device = form.mainWindow().PelliconText();
    run.status = form.ExitStatus();
}

// "COM3: RESULT OK, device Zerk8QA version 2.05, serial -, 3.2 s"; a read-back gives no
// serial number.
std::string SummaryLine(const PortRun& run) {
    char seconds[32];
    const auto end =
        std::to_chars(seconds, seconds + sizeof seconds, run.seconds, std::chars_format::fixed, 1);
    const std::string result = run.interrupted  ? "INTERRUPTED"
                               : run.failedStep ? "FAILED (" + *run.failedStep + ")"
                                                : "OK";
    return run.name + ": RESULT " + result + ", device " +
           (run.device.empty() ? kNoValue : run.device) + ", serial " + kNoValue + ", " +
           std::string(seconds, end.ptr) + " s";
}

// Every port in a thread of its own, each with its own port, store and form; their lines
// prefixed with the port's name, and a summary for each at the end, in the order of the list.
int ReadEveryPort(std::vector<PortRun>& runs, const ParsedCommandLine& line,
                  const std::string& programFolder) {
    std::mutex outMutex;
    std::mutex errMutex;
    // Threads that may own serial ports (Qt's wait through the event dispatcher of theirs).
    std::vector<std::unique_ptr<PortThread>> threads;
    for (PortRun& run : runs) {
        threads.emplace_back(StartPortThread([&run, &line, &programFolder, &outMutex, &errMutex] {
            PrefixedLines outLines(std::cout, outMutex, run.name + ": ");
            PrefixedLines errLines(std::cerr, errMutex, run.name + ": ");
            std::ostream out(&outLines);
            std::ostream err(&errLines);
            ReadOnePort(run, line, programFolder, out, err, false);
        }));
    }
    for (const std::unique_ptr<PortThread>& thread : threads) thread->Join();
    bool failed = false;
    for (const PortRun& run : runs) {
        std::cout << SummaryLine(run) << '\n';
        failed = failed || run.status != 0;
    }
    std::cout << std::flush;
    return failed ? 1 : 0;
}

}  // namespace

int RunReadBack(int argc, char** argv, const ParsedCommandLine& line) {
    const LongOptions& o = line.options;
    std::vector<PortRun> runs;
    if (!o.Bench()) runs.push_back({"", o.readFile, o.traceFile});
    for (const std::string& port : o.ports) {
        runs.push_back({port, PerPortFileName(o.readFile, port),
                        o.traceFile.empty() ? "" : PerPortFileName(o.traceFile, port)});
    }
    // Made before the serial ports and the settings stores, which may need it.
    const RunContext context(argc, argv);
    if (const std::optional<int> status =
            RefuseSameDevices(o, *MakeSettingsStore(), ProgramTranslator())) {
        return *status;
    }
    if (const std::optional<int> status = CheckTraceFiles(runs)) return *status;
    CatchStopSignals();
    const std::string programFolder = ProgramFolder();
    int status = 0;
    if (o.Bench()) {
        status = ReadEveryPort(runs, line, programFolder);
    } else {
        ReadOnePort(runs.front(), line, programFolder, std::cout, std::cerr,
                    isatty(STDERR_FILENO) != 0);
        status = runs.front().status;
    }
    if (const int signal = StopSignal(); signal != 0) {
        std::cerr << kCommandPrefix << Tr(ProgramTranslator(), kStoppedNote, SignalName(signal))
                  << '\n';
        return ExitStatusForSignal(signal);
    }
    return status;
}

}  // namespace tovrel::app
