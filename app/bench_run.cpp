#include "app/bench_run.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <system_error>

#include "adapters/port_factory.h"
#include "adapters/run_context.h"
#include "app/console_host.h"
#include "app/long_option_run.h"
#include "app/stop_signals.h"
#include "config/command_line.h"
#include "core/user_texts.h"
#include "databases/open_database.h"
#include "link/port_names.h"
#include "station/bench_engine.h"
#include "station/console_output.h"
#include "station/line_watch.h"
#include "station/production_log.h"
#include "station/production_report.h"
#include "station/serial_numbers.h"
#ifdef TOVREL_WITH_WINDOW
#include <QApplication>

#include "ui/bench_window.h"
#endif

namespace tovrel::app {
namespace {

constexpr const char* kSerialFileName = "serial-numbers.txt";

// A thread the system's serial ports can live on (Qt's need an event dispatcher of theirs).
class PortWorkerThread : public WorkerThread {
  public:
    explicit PortWorkerThread(std::function<void()> job)
        : m_thread(StartPortThread(std::move(job))) {}
    void Join() override { m_thread->Join(); }

  private:
    std::unique_ptr<PortThread> m_thread;
};

std::vector<BenchPort> PortsOf(const ParsedCommandLine& line) {
    if (line.options.ports.empty()) {
        const int comport = CommandLineComport(line.classicWords, kFirstComport);
        return {{ComportName(comport), comport, {}}};
    }
    std::vector<BenchPort> ports;
    for (const std::string& name : line.options.ports) {
        const int comport = ComportOfName(name);
        ports.push_back(
            {name, comport, comport == 0 ? line.options.DevicePathOf(name) : std::string()});
    }
    return ports;
}

bool SerialSafeConfirmed() {
    const char* value = std::getenv(kConfirmSerialSafeVariable);
    return value != nullptr && std::string(value) == "yes";
}

// The trace file of a port: the one named, or with --ports one per port beside it.
std::string TraceFileOf(const LongOptions& o, const std::string& port) {
    if (o.traceFile.empty() || !o.Bench()) return o.traceFile;
    return PerPortFileName(o.traceFile, port);
}

// Trace files are made before any port opens: one that cannot be made stops the run first.
bool TraceFilesMade(const ParsedCommandLine& line, const Translator& translator) {
    for (const BenchPort& port : PortsOf(line)) {
        const std::string trace = TraceFileOf(line.options, port.name);
        if (trace.empty()) continue;
        std::FILE* file = std::fopen(trace.c_str(), "w");
        if (file == nullptr) {
            ReportTraceFailure(translator, trace, std::generic_category().message(errno));
            return false;
        }
        std::fclose(file);
    }
    return true;
}

bool Refuse(const Translator& translator, const char* text, const std::string& argument) {
    std::cerr << kCommandPrefix << Tr(translator, text, argument) << '\n';
    return false;
}

// Whatever the run needs before its first board; false, with the problem told, when the run
// cannot start.
struct Preparation {
    std::unique_ptr<ProductionDatabase> database;
    std::unique_ptr<SerialNumberFile> serials;
    std::unique_ptr<ProductionLog> log;

    // The numbers from the database or the file; the record into the database, then the log.
    void UseIn(const LongOptions& o, BenchServices& services) const {
        if (o.serialFirst) {
            services.production.serials =
                database ? static_cast<SerialNumberStore*>(database.get()) : serials.get();
        }
        services.production.serialAt = o.serialAt.value_or(0);
        services.production.unitData = o.unitData;
        if (database) services.records.push_back(database.get());
        if (log) services.records.push_back(log.get());
    }

    // The line's totals of today for the bench window, read on a connection of their own.
    std::unique_ptr<LineWatch> LineToday(const LongOptions& o) const {
        if (!database) return nullptr;
        return std::make_unique<LineWatch>(
            database->Name(),
            [target = o.database](std::string& problem) {
                return OpenRecordReader(target, problem);
            },
            [] { return UtcDay(std::chrono::system_clock::now()); });
    }
};

// The station a bench writes into the database: --station, else this PC's name.
DatabaseUser DatabaseUserOf(const LongOptions& o) {
    return {o.station.empty() ? HostName() : o.station, TOVREL_VERSION, o.serialFirst.value_or(0)};
}

bool Prepare(const ParsedCommandLine& line, const SettingsStore& store, Preparation& prepared) {
    const LongOptions& o = line.options;
    const ProgramTranslator translator;
    if (RefuseSameDevices(o, store, translator)) return false;
    if (!TraceFilesMade(line, translator)) return false;
    if (!o.database.empty()) {
        std::string problem;
        prepared.database = OpenProductionDatabase(o.database, DatabaseUserOf(o), problem);
        if (!prepared.database) return Refuse(translator, kDatabaseError, problem);
    }
    if (o.serialFirst && !prepared.database) {
        std::string path = o.serialFile;
        if (path.empty()) {
            const std::string folder = UserFilesFolder();
            if (folder.empty()) return Refuse(translator, kNoSerialFolderError, "");
            path = folder + "/" + kSerialFileName;
        }
        prepared.serials = std::make_unique<SerialNumberFile>(path, *o.serialFirst);
        if (const std::string problem = prepared.serials->Check(); !problem.empty()) {
            return Refuse(translator, kSerialFileError, problem);
        }
    }
    if (!o.logFile.empty()) {
        std::string reason;
        prepared.log = ProductionLog::Open(o.logFile, reason);
        if (!prepared.log) return Refuse(translator, kLogFileError, o.logFile + ": " + reason);
    }
    return true;
}

int RunPrepared(const ParsedCommandLine& line, bool window) {
    const LongOptions& o = line.options;
    const std::unique_ptr<SettingsStore> store = MakeSettingsStore();
    Preparation prepared;
    if (!Prepare(line, *store, prepared)) return kExitUsage;
    const ProgramTranslator translator;
    TextOutput text(std::cout, std::cerr, o.Bench(), o.Bench() || o.loop);
    JsonOutput json(std::cout, std::cerr);

    BenchPlan plan{PortsOf(line), line.classicWords, o.loop, o.count, o.before, o.after, o.Bench()};
    BenchServices services;
    services.startThread = [](std::function<void()> job) {
        return std::make_unique<PortWorkerThread>(std::move(job));
    };
    services.makePort = [&o](const std::string& port, std::string& error) {
        return MakeBenchPort(port, TraceFileOf(o, port), error);
    };
    services.store = store.get();
    services.host.words = line.classicWords;
    services.host.programFolder = ProgramFolder();
    services.host.translator = &translator;
    services.host.confirmSerialSafe = SerialSafeConfirmed();
    prepared.UseIn(o, services);
    services.output = o.json ? static_cast<BenchOutput*>(&json) : &text;
    services.signalCount = StopCount;
    services.signal = StopSignal;
#ifdef TOVREL_WITH_WINDOW
    if (window) {
        const std::unique_ptr<LineWatch> lineToday = prepared.LineToday(o);
        return RunBenchWindow(std::move(plan), std::move(services), lineToday.get());
    }
#else
    (void)window;
#endif
    BenchEngine engine(std::move(plan), std::move(services));
    engine.Start();
    return engine.Wait();
}

}  // namespace

std::unique_ptr<SerialPort> MakeBenchPort(const std::string& port, const std::string& traceFile,
                                          std::string& error) {
    return MakeSerialPort(
        traceFile, [port] { return port; }, error);
}

int RunBench(const ParsedCommandLine& line, int argc, char** argv, bool display) {
    CatchBenchStopSignals();
    int status = 0;
#ifdef TOVREL_WITH_WINDOW
    if (display && line.options.Bench()) {
        QApplication application(argc, argv);
        status = RunPrepared(line, true);
    } else
#endif
    {
        (void)display;
        const RunContext context(argc, argv);
        status = RunPrepared(line, false);
    }
    if (const int signal = StopSignal(); signal != 0) {
        std::cerr << kCommandPrefix << Tr(ProgramTranslator(), kStoppedNote, SignalName(signal))
                  << '\n';
        return ExitStatusForSignal(signal);
    }
    return status;
}

}  // namespace tovrel::app
