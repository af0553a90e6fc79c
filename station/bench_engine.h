#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/settings.h"
#include "link/line_sequence.h"
#include "link/serial_port.h"
#include "station/bench_output.h"
#include "station/board_extras.h"
#include "station/port_host.h"
#include "station/production_store.h"

namespace tovrel {

struct DownloadReport;

// One port of a bench: COMn (comport 1 to 32) or a device path (comport 0, also for the
// adapter of a usb:SERIAL), by the name given.
struct BenchPort {
    std::string name;
    int comport = 0;
    std::string devicePath;
};

// What a bench run does.
struct BenchPlan {
    std::vector<BenchPort> ports;
    std::vector<std::string> words;  // the classic words: file, data file, switches
    bool loop = false;
    std::optional<long> count;  // boards in all, across the ports
    // The modem-line sequences of the command line (--before, --after); without them the
    // settings file's [Lines] are used.
    std::optional<LineSequence> before, after;
    // The ports were listed (--ports): the output is the bench's own, not a command-line
    // run's.
    bool listed = false;
};

// A job on a thread of its own; Join waits for its end.
class WorkerThread {
  public:
    virtual ~WorkerThread() = default;
    virtual void Join() = 0;
};

// What the bench uses from its surroundings. The ports are made on their own threads, which
// the surroundings start (a serial port may need a thread its library knows).
struct BenchServices {
    std::function<std::unique_ptr<WorkerThread>(std::function<void()> job)> startThread;
    // Null, with the reason in error, when the port cannot be made (its trace file, say).
    std::function<std::unique_ptr<SerialPort>(const std::string& port, std::string& error)>
        makePort;
    SettingsStore* store = nullptr;  // read only: a bench run never saves settings
    PortHostContext host;            // its output and stopSignal are the engine's own
    ProductionPlan production;
    // Where each board's record goes, in this order: a database, the CSV log.
    std::vector<BoardRecordStore*> records;
    BenchOutput* output = nullptr;
    // Signals asking for a stop so far (the first: no new boards; the second: the boards in
    // progress stop too), and the first of them.
    std::function<int()> signalCount = [] { return 0; };
    std::function<int()> signal = [] { return 0; };
};

// Runs the download on every port at once, each port on its own thread with its own form,
// record, link and serial port; in a loop, board after board. What the ports share (the
// number file, the production log, the output) each take their turn in one call, and no port
// waits for another's serial line.
class BenchEngine {
  public:
    BenchEngine(BenchPlan plan, BenchServices services);
    ~BenchEngine();
    BenchEngine(const BenchEngine&) = delete;
    BenchEngine& operator=(const BenchEngine&) = delete;

    // Starts a run; returns at once.
    void Start();
    // No new boards (the window's Stop); boards in progress finish.
    void RequestStop() { m_requests = 1; }
    // Every port of the run has ended.
    bool Finished() const { return m_finished == static_cast<int>(m_plan.ports.size()); }
    // Waits for the end of the run, tells what is due at its end (the summaries of a run
    // without a loop, in the order of the ports; a loop's totals) and answers its status: 0
    // when every board succeeded and at least one ran (or the count was reached), else 1.
    int Wait();
    bool Running() const { return !m_threads.empty(); }
    const BenchPlan& Plan() const { return m_plan; }

  private:
    class Port;
    void RunPort(std::size_t index);
    void RunLoop(Port& port);
    BoardResult EndBoard(Port& port, std::chrono::steady_clock::time_point start);
    void SettleSerialNumber(Port& port, const DownloadReport& report, BoardResult& result);
    void Record(std::size_t index, const BoardResult& result);
    int StopLevel() const;
    bool WantsBoards() const;
    bool ClaimBoard();

    BenchPlan m_plan;
    BenchServices m_services;
    std::vector<std::unique_ptr<WorkerThread>> m_threads;
    std::atomic<int> m_finished{0};
    std::atomic<int> m_requests{0};
    std::atomic<long> m_boardsLeft{0};
    std::mutex m_resultsMutex;
    std::vector<std::optional<BoardResult>> m_lastResults;
    BenchTotals m_totals;
    std::atomic<bool> m_problems{false};  // a number that could not go back
    struct SharedFiles;
    std::unique_ptr<SharedFiles> m_files;
    std::unique_ptr<SettingsStore> m_store;
};

}  // namespace tovrel
