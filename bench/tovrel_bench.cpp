// tovrel-bench: times headless command-line downloads of the real program against the
// simulated device pacing its line in wire time, and sets each beside the least time the
// line and the device allow.
//
//   tovrel-bench [--quick] [--floor] [--csv FILE] [--only TEXT] [--work DIR] [--bin DIR]
//                [--wine EXE]
//
// For every case it starts pellicon-sim --realtime --trace, runs tovrel against it, and
// reports: the wire span (the device's first received byte to its last reply, from the
// trace), the modelled minimum (bytes both ways at ten bit times of their rate plus the
// device's work, from the simulator's summary), their ratio, the part of the span spent
// waiting for the program (from each reply to the program's next message), the whole
// process time, the start-up (process start to the first byte on the wire) and the
// program's CPU time (user + system). With --floor each case is replayed once more by a
// bare client that only writes the same messages and reads the answers, which gives the
// gaps the test bed itself leaves between answer and next message. The bench cases run one
// program over 1, 4 and 8 devices at once (--ports), each its own simulator, and over 1 and 8
// with a serial number and a row for each board in SQLite and in PostgreSQL (--db: a file in
// the case's folder, a local server of the benchmark's own); their figures are those of the
// device whose wire span was longest. With --wine the Windows program EXE runs the
// single-port cases under wine instead (a prefix and server of the benchmark's own, started
// once; the device reached as COM1 through the prefix's dosdevices link); the bench cases
// (--ports) are left out with a note.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_inputs.h"
#include "bench/bench_replay.h"
#include "bench/bench_table.h"
#include "bench/bench_trace.h"
#include "testbed/postgres_cluster.h"
#include "testbed/processes.h"
#include "testbed/temp_dir.h"
#include "testbed/wine_prefix.h"

namespace tovrel::bench {
namespace {

constexpr long kFastRate = 115200;
constexpr long kSlowRate = 9600;
constexpr double kModelTolerance = 0.001;  // seconds: rounding of the printed figures
// The identification picks the profile by its model letters: QA quick download with the
// fast rate, QB standard download with the fast rate, QC quick download at 9600, QS
// standard download at 9600.
constexpr const char* kQuickFast = "Kaz 8QA    205";
constexpr const char* kStandardFast = "Kaz 8QB    205";
constexpr std::size_t kModelLetter = 6;
constexpr char kStandardLetter = 'B';
constexpr const char* kStandardSlowLetter = "S";
constexpr const char* kQuickSlowLetter = "C";

struct Options {
    bool quick = false;
    bool floor = false;
    std::string csvPath;
    std::string only;
    std::string workDir;
    std::string binDir;
    std::string wineExe;
};

// One download: the identification the simulated device gives (which picks the profile)
// and the program's command-line words.
struct Case {
    std::string name;
    long baud;
    std::string id;
    std::vector<std::string> words;  // "{ports}": the list of the devices' ports
    std::string mustLog;             // a status line that only a complete run writes
    int devices = 1;
    long latencyMs = 0;  // a USB adapter's latency timer between device and program
};

// The adapters' timers: the usual default, and what low-latency mode makes of it.
constexpr long kAdapterTimersMs[] = {1, 16};

constexpr int kBenchDevices[] = {1, 4, 8};
constexpr int kDatabaseDevices[] = {1, 8};
constexpr const char* kSqlite = "sqlite";
constexpr const char* kPostgres = "postgresql";

std::vector<Case> Cases(const BenchInputs& in, bool quick) {
    const std::string verifyOk = "VERIFYING USER CODE: ... OK";
    const std::string codeOk = "]:..........OK";
    std::vector<Case> cases{
        {"quick 62K + verify", kFastRate, kQuickFast, {in.program16, "/M:1", "/V"}, verifyOk},
        {"standard 62K rec16", kFastRate, kStandardFast, {in.program16, "/M:1"}, codeOk},
        {"standard 62K rec32", kFastRate, kStandardFast, {in.program32, "/M:1"}, codeOk},
        {"data 640 lines", kFastRate, kQuickFast, {in.program16, in.dataFile, "/M:2"}, codeOk},
        {"sparse 3 records", kFastRate, kQuickFast, {in.sparse, "/M:1"}, codeOk},
    };
    for (const int devices : kBenchDevices) {
        cases.push_back({"bench " + std::to_string(devices) + " x quick+V",
                         kFastRate,
                         kQuickFast,
                         {"--ports", "{ports}", in.program16, "/M:1", "/V"},
                         verifyOk,
                         devices});
    }
    // The same with a number and a row for each board, in SQLite and in PostgreSQL.
    for (const char* database : {kSqlite, kPostgres}) {
        for (const int devices : kDatabaseDevices) {
            cases.push_back({"bench " + std::to_string(devices) + " x quick+V " + database,
                             kFastRate,
                             kQuickFast,
                             {"--ports", "{ports}", "--db", database, "--serial", "1",
                              "--serial-at", "600", in.program16, "/M:1", "/V"},
                             verifyOk,
                             devices});
        }
    }
    if (quick) return cases;
    const std::size_t fastCount = cases.size();
    // Page frames and record frames through a USB adapter that holds each answer.
    for (const long timer : kAdapterTimersMs) {
        for (std::size_t i = 0; i < 2; ++i) {
            Case adapter = cases[i];
            adapter.name += ", adapter " + std::to_string(timer) + " ms";
            adapter.latencyMs = timer;
            cases.push_back(adapter);
        }
    }
    for (std::size_t i = 0; i < fastCount; ++i) {
        if (cases[i].devices > 1 || cases[i].words.front() == "--ports") continue;
        Case slow = cases[i];
        slow.baud = kSlowRate;
        const bool standard = slow.id[kModelLetter] == kStandardLetter;
        slow.id.replace(kModelLetter, 1, standard ? kStandardSlowLetter : kQuickSlowLetter);
        cases.push_back(slow);
    }
    return cases;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A complete run: exit 0, nothing failed, the case's last step done on every device.
std::string CheckLog(const testbed::ProgramRun& run, const std::string& log, const Case& c) {
    if (!run.started) return "not started";
    if (run.status != 0) return "exit " + std::to_string(run.status);
    if (log.find("ailed") != std::string::npos) return "failed step";
    int done = 0;
    for (std::size_t at = 0; (at = log.find(c.mustLog, at)) != std::string::npos; ++at) ++done;
    if (done < c.devices) return "incomplete";
    return "OK";
}

std::vector<std::string> SimArguments(const Case& c, const std::string& trace) {
    const DeviceTimes times;
    return {"--realtime",
            "--trace",
            trace,
            "--id",
            c.id,
            "--erase-ms",
            std::to_string(times.eraseMs),
            "--page-ms",
            std::to_string(times.pageMs),
            "--record-ms",
            std::to_string(times.recordMs),
            "--latency-ms",
            std::to_string(c.latencyMs)};
}

// The same messages once more from the bare client; the gaps it leaves, or -1.
double FloorGaps(const Options& options, const Case& c, const std::string& folder) {
    const std::string trace = folder + "/floor-trace";
    {
        testbed::SimProcess sim(options.binDir + "/pellicon-sim", SimArguments(c, trace),
                                folder + "/floor-sim.err");
        std::string error;
        if (!sim.Started() || !ReplayTrace(folder + "/trace", sim.Path(), error)) {
            std::fprintf(stderr, "tovrel-bench: replay failed: %s\n", error.c_str());
            return -1;
        }
    }
    const auto figures = AnalyseTrace(trace, DeviceTimes{});
    return figures ? figures->hostGaps : -1;
}

// The device whose wire span was longest, of the traces of one run.
std::optional<TraceFigures> SlowestDevice(const std::vector<std::string>& traces) {
    std::optional<TraceFigures> slowest;
    for (const std::string& trace : traces) {
        const auto figures = AnalyseTrace(trace, DeviceTimes{});
        if (!figures || !figures->summaryFound) return figures;
        if (!slowest || figures->Span() > slowest->Span()) slowest = figures;
    }
    return slowest;
}

// A new database for a case: an SQLite file in its folder, or a database on a local
// PostgreSQL server of the benchmark's own (durable, as a real one), started once.
std::string DatabaseTarget(const std::string& kind, const std::string& folder) {
    if (kind == kSqlite) return folder + "/line.db";
    static std::unique_ptr<testbed::PostgresCluster> server;
    static int databases = 0;
    if (!server) server = std::make_unique<testbed::PostgresCluster>(true);
    if (!server->Started()) {
        std::fprintf(stderr, "tovrel-bench: %s\n", server->Error().c_str());
        return {};
    }
    return server->NewDatabase("case" + std::to_string(++databases));
}

// The benchmark's wine prefix, started at the first case under wine; nullptr when it did not
// start.
testbed::WinePrefix* Wine() {
    static const auto wine = std::make_unique<testbed::WinePrefix>();
    if (!wine->Started()) std::fprintf(stderr, "tovrel-bench: %s\n", wine->Error().c_str());
    return wine->Started() ? wine.get() : nullptr;
}

Row RunCase(const Options& options, const Case& c, const std::string& folder) {
    Row row;
    row.name = c.name;
    row.baud = c.baud;
    std::filesystem::create_directories(folder);
    // The bench's own environment, without a display: a headless command-line run.
    testbed::Environment env = testbed::OwnEnvironment();
    env.erase("DISPLAY");
    env.erase("WAYLAND_DISPLAY");
    env["XDG_CONFIG_HOME"] = folder + "/config";
    std::vector<std::unique_ptr<testbed::SimProcess>> sims;
    std::vector<std::string> traces;
    std::string ports;
    for (int i = 1; i <= c.devices; ++i) {
        const std::string n = i == 1 ? "" : std::to_string(i);
        traces.push_back(folder + "/trace" + n);
        sims.push_back(std::make_unique<testbed::SimProcess>(options.binDir + "/pellicon-sim",
                                                             SimArguments(c, traces.back()),
                                                             folder + "/sim" + n + ".err"));
        if (!sims.back()->Started()) {
            row.result = "sim did not start";
            return row;
        }
        env["TOVREL_COM" + std::to_string(i)] = sims.back()->Path();
        ports += (i == 1 ? "COM" : ",COM") + std::to_string(i);
    }
    testbed::WinePrefix* wine = options.wineExe.empty() ? nullptr : Wine();
    if (!options.wineExe.empty() && wine == nullptr) {
        row.result = "no wine";
        return row;
    }
    std::vector<std::string> words{options.binDir + "/tovrel"};
    if (wine != nullptr) {
        words = wine->Command(options.wineExe, {});
        wine->Link(1, sims.front()->Path());
    }
    for (const std::string& word : c.words) {
        if (word == kSqlite || word == kPostgres) {
            words.push_back(DatabaseTarget(word, folder));
            if (words.back().empty()) {
                row.result = "no database";
                return row;
            }
        } else {
            words.push_back(word == "{ports}" ? ports : word);
        }
    }
    words.push_back("/T:0");
    const testbed::RunOptions files{.outFile = folder + "/log", .errFile = folder + "/err"};
    const testbed::ProgramRun run =
        wine != nullptr ? wine->Run(words, env, files) : testbed::RunProgram(words, env, files);
    for (const auto& sim : sims) sim->Stop();
    row.result = CheckLog(run, ReadAll(folder + "/log"), c);
    const auto figures = SlowestDevice(traces);
    if (!figures || !figures->summaryFound) {
        if (row.result == "OK") row.result = "no trace";
        return row;
    }
    if (std::abs(figures->ownModel - figures->modelled) > kModelTolerance && row.result == "OK") {
        row.result = "model mismatch";
    }
    if ((figures->garbled || (figures->fastRxBytes > 0) != (c.baud == kFastRate)) &&
        row.result == "OK") {
        row.result = "wrong rate";
    }
    FillRow(row, *figures, run);
    if (options.floor && row.result == "OK" && c.devices == 1) {
        row.floorGaps = FloorGaps(options, c, folder);
    }
    return row;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const bool hasValue = i + 1 < argc;
        if (word == "--quick") {
            options.quick = true;
        } else if (word == "--floor") {
            options.floor = true;
        } else if (word == "--csv" && hasValue) {
            options.csvPath = argv[++i];
        } else if (word == "--only" && hasValue) {
            options.only = argv[++i];
        } else if (word == "--work" && hasValue) {
            options.workDir = argv[++i];
        } else if (word == "--bin" && hasValue) {
            options.binDir = argv[++i];
        } else if (word == "--wine" && hasValue) {
            options.wineExe = std::filesystem::absolute(argv[++i]).string();
        } else {
            std::fprintf(
                stderr,
                "usage: tovrel-bench [--quick] [--floor] [--csv FILE] [--only TEXT] [--work DIR] "
                "[--bin DIR] [--wine EXE]\n");
            return false;
        }
    }
    if (options.binDir.empty()) {
        options.binDir = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
    }
    return true;
}

int Run(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) return 2;
    const testbed::TempDir scratch;  // the work folder unless --work names one to keep
    const std::string work = options.workDir.empty() ? scratch.Path() : options.workDir;
    if (!options.workDir.empty()) std::filesystem::create_directories(work);
    BenchInputs inputs;
    if (work.empty() || !WriteInputs(work, inputs)) {
        std::fprintf(stderr, "tovrel-bench: cannot write the input files\n");
        return 1;
    }
    std::vector<Row> rows;
    int index = 0;
    for (const Case& c : Cases(inputs, options.quick)) {
        ++index;
        if (!options.only.empty() && c.name.find(options.only) == std::string::npos) continue;
        if (!options.wineExe.empty() && c.words.front() == "--ports") {
            std::fprintf(stderr, "tovrel-bench: %s: not run under wine (single-port cases only)\n",
                         c.name.c_str());
            continue;
        }
        std::fprintf(stderr, "tovrel-bench: %s at %ld baud...\n", c.name.c_str(), c.baud);
        rows.push_back(RunCase(options, c, work + "/case" + std::to_string(index)));
        PrintRow(stderr, rows.back());
    }
    PrintTable(stdout, rows);
    if (!options.csvPath.empty() && !WriteCsv(options.csvPath, rows)) {
        std::fprintf(stderr, "tovrel-bench: cannot write %s\n", options.csvPath.c_str());
        return 1;
    }
    bool allOk = true;
    for (const Row& row : rows) allOk = allOk && row.result == "OK";
    return allOk ? 0 : 1;
}

}  // namespace
}  // namespace tovrel::bench

int main(int argc, char** argv) { return tovrel::bench::Run(argc, argv); }
