#include "station/bench_engine.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>

#include "core/text_file.h"
#include "core/user_texts.h"
#include "station/board_watch.h"
#include "workflow/tovrel_form.h"

namespace tovrel {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPercent = 100;

// The user's settings store seen by every port: read in turn, never written.
class ReadOnlyStore : public SettingsStore {
  public:
    explicit ReadOnlyStore(SettingsStore* store) : m_store(store) {}
    std::string Read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& defaultText) const override {
        if (m_store == nullptr) return defaultText;
        const std::lock_guard<std::mutex> turn(m_mutex);
        return m_store->Read(application, section, key, defaultText);
    }
    void Save(const std::string&, const std::string&, const std::string&,
              const std::string&) override {}

  private:
    SettingsStore* m_store;
    mutable std::mutex m_mutex;
};

// The serial port of a port whose own could not be made: every open fails with the reason,
// so the board fails at its reset with that reason shown, as for a port that does not open.
class UnavailablePort : public SerialPort {
  public:
    explicit UnavailablePort(std::string reason) : m_reason(std::move(reason)) {}
    std::error_code Open(const std::string&, std::int32_t) override {
        return std::make_error_code(std::errc::io_error);
    }
    std::string OpenErrorText() const override { return m_reason; }
    void Close() override {}
    std::error_code Write(std::span<const std::uint8_t>) override {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    std::size_t Read(std::span<std::uint8_t>, std::size_t, int) override { return 0; }
    void DiscardInput() override {}
    std::error_code SetDtr(bool) override { return std::make_error_code(std::errc::io_error); }
    std::error_code SetRts(bool) override { return std::make_error_code(std::errc::io_error); }

  private:
    std::string m_reason;
};

std::unique_ptr<SerialPort> MadePort(const BenchServices& services, const std::string& name) {
    std::string error;
    std::unique_ptr<SerialPort> port = services.makePort(name, error);
    if (!port) port = std::make_unique<UnavailablePort>(error);
    return port;
}

// A form's main window heard for the bench: whole status lines, the progress in per cent when
// it changes, the device text.
class FormListener {
  public:
    FormListener(BenchOutput& output, std::string port, TovrelForm& form)
        : m_output(output), m_port(std::move(port)), m_model(form.mainWindow()) {
        m_model.onStatusAppended = [this](const std::string& text) { Appended(text); };
        m_model.onChanged = [this] { Changed(); };
        form.onStep = [this](BoardStep step) { m_output.Step(m_port, step); };
    }
    // A new board: its device is told when it is identified, even as the last one's.
    void NewBoard() { m_device.clear(); }
    // A line left open at the end of a board ends with it.
    void Flush() {
        if (!m_pending.empty()) m_output.Line(m_port, m_pending);
        m_pending.clear();
    }

  private:
    void Appended(const std::string& text) {
        m_pending += text;
        for (std::size_t end; (end = m_pending.find('\n')) != std::string::npos;) {
            std::string line = m_pending.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            m_output.Line(m_port, line);
            m_pending.erase(0, end + 1);
        }
    }
    void Changed() {
        const MainWindowModel::Progress& p = m_model.ProgressState();
        const int range = p.max - p.min;
        const int percent = !p.visible ? -1
                            : range <= 0
                                ? kPercent
                                : std::clamp((p.value - p.min) * kPercent / range, 0, kPercent);
        if (percent != m_percent) m_output.Progress(m_port, percent);
        m_percent = percent;
        if (m_model.PelliconText() != m_device) m_output.Device(m_port, m_model.PelliconText());
        m_device = m_model.PelliconText();
    }

    BenchOutput& m_output;
    std::string m_port;
    MainWindowModel& m_model;
    std::string m_pending;
    int m_percent = -1;
    std::string m_device;
};

}  // namespace

// The download and data files, read once for every board of the run: a pipe can be read only
// once, and every board of a run gets the same code. A reading that failed is tried again.
struct BenchEngine::SharedFiles {
    std::optional<TextFile> Read(Host& host, const std::string& path) {
        std::shared_ptr<Entry> entry;
        {
            const std::lock_guard<std::mutex> turn(mutex);
            std::shared_ptr<Entry>& slot = entries[path];
            if (!slot) slot = std::make_shared<Entry>();
            entry = slot;
        }
        // Only the ports that want this file wait while it is read.
        const std::lock_guard<std::mutex> turn(entry->mutex);
        if (!entry->file) entry->file = ReadTextFile(host, path);
        return entry->file;
    }
    struct Entry {
        std::mutex mutex;
        std::optional<TextFile> file;
    };
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<Entry>> entries;
};

// Everything one port's thread owns.
class BenchEngine::Port {
  public:
    Port(BenchEngine& engine, std::size_t index)
        : index(index),
          name(engine.m_plan.ports[index].name),
          serialPort(MadePort(engine.m_services, name)),
          host(engine.m_services.host, name),
          extras(engine.m_services.production, name),
          form(host, *serialPort, *engine.m_store),
          listener(*engine.m_services.output, name, form) {
        const BenchPort& port = engine.m_plan.ports[index];
        form.UsePort(static_cast<std::int16_t>(port.comport), port.devicePath, port.name);
        form.SetLineOptions(engine.m_plan.before, engine.m_plan.after);
        form.SetProductionSteps(&extras);
        form.SetFileReader(
            [&engine](Host& h, const std::string& path) { return engine.m_files->Read(h, path); });
    }

    std::size_t index;
    std::string name;
    std::unique_ptr<SerialPort> serialPort;
    PortHost host;
    BoardExtras extras;
    TovrelForm form;
    FormListener listener;
};

BenchEngine::BenchEngine(BenchPlan plan, BenchServices services)
    : m_plan(std::move(plan)),
      m_services(std::move(services)),
      m_files(std::make_unique<SharedFiles>()),
      m_store(std::make_unique<ReadOnlyStore>(m_services.store)) {
    // Boards in progress stop at the second signal, as a single run stops at its first.
    m_services.host.stopSignal = [this] {
        return m_services.signalCount() >= 2 ? m_services.signal() : 0;
    };
    m_services.host.output = m_services.output;
}

BenchEngine::~BenchEngine() {
    for (const auto& thread : m_threads) thread->Join();
}

void BenchEngine::Start() {
    m_finished = 0;
    m_requests = 0;
    m_boardsLeft = m_plan.count.value_or(0);
    m_lastResults.assign(m_plan.ports.size(), std::nullopt);
    m_totals = {};
    m_problems = false;
    // A run started again (the window's Start) reads the files again: they may have changed.
    m_files = std::make_unique<SharedFiles>();
    for (std::size_t i = 0; i < m_plan.ports.size(); ++i) {
        m_threads.push_back(m_services.startThread([this, i] {
            RunPort(i);
            ++m_finished;
        }));
    }
}

int BenchEngine::Wait() {
    for (const auto& thread : m_threads) thread->Join();
    m_threads.clear();
    BenchOutput& output = *m_services.output;
    if (!m_plan.loop) {
        for (const std::optional<BoardResult>& result : m_lastResults) {
            if (result) output.Summary(*result);
        }
    } else {
        output.Total(m_totals);
    }
    const bool allOK = m_totals.failed == 0 && m_totals.interrupted == 0 && !m_problems;
    const bool countReached = m_plan.count && m_boardsLeft == 0;
    return allOK && (m_totals.boards > 0 || countReached) ? 0 : 1;
}

int BenchEngine::StopLevel() const { return std::max(m_services.signalCount(), m_requests.load()); }

bool BenchEngine::WantsBoards() const {
    return StopLevel() == 0 && (!m_plan.count || m_boardsLeft > 0);
}

// A port takes one of the boards the count allows before it programs one.
bool BenchEngine::ClaimBoard() {
    if (!m_plan.count) return true;
    long left = m_boardsLeft;
    while (left > 0 && !m_boardsLeft.compare_exchange_weak(left, left - 1)) {
    }
    return left > 0;
}

void BenchEngine::RunPort(std::size_t index) {
    Port port(*this, index);
    BenchOutput& output = *m_services.output;
    if (m_plan.loop) {
        RunLoop(port);
    } else {
        // One board, started as a command-line run starts, with the start-up identification.
        output.Phase(port.name, PortPhase::Programming);
        port.listener.NewBoard();
        const Clock::time_point start = Clock::now();
        // Listed ports report a port that does not open once, at the board's reset.
        port.form.LoadForBench(true, !m_plan.listed);
        port.form.DownloadButton_Click();
        EndBoard(port, start);
    }
    output.Phase(port.name, PortPhase::Ended);
}

void BenchEngine::RunLoop(Port& port) {
    BenchOutput& output = *m_services.output;
    port.form.LoadForBench(false);
    // The rate every board's boot loader starts at, as the first board is reached.
    const std::int32_t bootRate = port.form.settings().PCBaudrate;
    BoardWatch watch(port.form.link(), [this] { return WantsBoards(); });
    for (;;) {
        output.Phase(port.name, PortPhase::Waiting);
        if (!watch.WaitForBoard() || !ClaimBoard()) return;
        watch.Release();
        output.Phase(port.name, PortPhase::Programming);
        port.listener.NewBoard();
        const BoardResult result = [&] {
            const Clock::time_point start = Clock::now();
            port.form.DownloadButton_Click();
            return EndBoard(port, start);
        }();
        // A board pulled at the fast rate leaves the port there (its way back was not
        // answered); the next board answers only at the boot rate.
        port.form.settings().PCBaudrate = bootRate;
        if (!WantsBoards()) return;
        // A board whose code was started answers no more: it is as good as gone. Unless the
        // lines bring every board into its boot loader before the reset message: then only
        // silence says it is gone.
        if (result.outcome == BoardOutcome::OK && port.form.settings().RunAfterDownload &&
            port.form.link().lines.before.empty()) {
            continue;
        }
        output.Phase(port.name, PortPhase::Removing);
        if (!watch.WaitUntilGone()) return;
    }
}

// The one place that decides what becomes of a board's number, whichever store keeps them: it
// goes back for the next board only when it certainly never reached this one (no frame with
// it went out). Once one did, the number is spent whatever became of the board, and the
// board's record shows it.
void BenchEngine::SettleSerialNumber(Port& port, const DownloadReport& report, BoardResult& r) {
    if (!report.serial) return;
    if (report.serialSent) {
        r.serial = report.serial;
        return;
    }
    const std::string problem = m_services.production.serials->GiveBack(*report.serial);
    if (!problem.empty()) {
        ShowMessage(port.host, SerialNumberNotReturnedMessage(*report.serial, problem));
        m_problems = true;
    }
}

// The board's record: its number settled, the record committed in every store, and only then
// the result told. A store that cannot take the record fails the board.
BoardResult BenchEngine::EndBoard(Port& port, Clock::time_point start) {
    port.listener.Flush();
    const DownloadReport& report = port.form.LastDownload();
    BoardResult r;
    r.port = port.name;
    r.outcome = report.stopped                ? BoardOutcome::Interrupted
                : port.form.ExitStatus() == 0 ? BoardOutcome::OK
                                              : BoardOutcome::Failed;
    r.step = report.failedStep;
    r.device = report.device;
    r.file = port.form.settings().CmdHexFileName;
    r.checksum = report.checksum;
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.ended = std::chrono::system_clock::now();
    SettleSerialNumber(port, report, r);
    for (BoardRecordStore* store : m_services.records) {
        const std::string reason = store->Record(r);
        if (reason.empty()) continue;
        ShowMessage(port.host, ProductionLogFailedMessage(store->Name(), reason));
        if (r.outcome == BoardOutcome::OK) r.outcome = BoardOutcome::Failed;
        if (r.step == BoardStep::None) r.step = BoardStep::Record;
    }
    Record(port.index, r);
    m_services.output->BoardEnded(r);
    if (m_plan.loop) m_services.output->Summary(r);
    return r;
}

void BenchEngine::Record(std::size_t index, const BoardResult& result) {
    const std::lock_guard<std::mutex> turn(m_resultsMutex);
    m_lastResults[index] = result;
    ++m_totals.boards;
    switch (result.outcome) {
        case BoardOutcome::OK:
            ++m_totals.ok;
            break;
        case BoardOutcome::Failed:
            ++m_totals.failed;
            break;
        case BoardOutcome::Interrupted:
            ++m_totals.interrupted;
            break;
    }
}

}  // namespace tovrel
