#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>

#include "sim/boot_loader.h"
#include "sim/fault_plan.h"
#include "sim/flash_memory.h"
#include "sim/message_parser.h"
#include "sim/pseudo_terminal.h"
#include "sim/sim_options.h"
#include "sim/trace_log.h"

namespace tovrel::sim {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

// A reply waiting for its moment on the wire, and what follows it.
struct Outgoing {
    TimePoint due;
    Bytes bytes;
    std::string kind;
    long newRate = 0;  // 'B': the device switches once the reply is out
    bool hangUp = false;
    bool exitAfter = false;
    std::optional<long> newBoardMs{};  // the board leaves once the reply is out
};

// What a benchmark needs to work out the modelled minimum time of a run: every byte at
// ten bit times of the rate it travelled at, plus the device's own work.
struct WireTotals {
    long messages = 0;
    long receivedBytes = 0;
    long sentBytes = 0;
    double wireSeconds = 0;
    double deviceSeconds = 0;
};

// The device on its line: one thread, one poll() over the terminal, the terminal
// watch and the signals; replies wait in a queue for their due time. The line stays when
// the board is taken off; what arrives then is traced and never answered.
class SimServer {
  public:
    explicit SimServer(const SimOptions& options);
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;
    ~SimServer();

    // Sets everything up and prints the terminal path; false with a message on failure.
    bool Start(std::string& error);
    // Serves until a stop; returns the exit status.
    int Serve();

  private:
    void ReceiveFromHost();
    void TakeByte(std::uint8_t byte, TimePoint now);
    void Handle(const Message& message, TimePoint completed);
    LoaderReply Answer(const Message& message, const FaultDecision& decision);
    void Schedule(const Message& message, LoaderReply reply, const FaultDecision& decision,
                  TimePoint completed);
    void SendDue();
    void Send(const Outgoing& outgoing);
    void TakeSignals();
    void PowerCycle(bool downloadPinHeld);
    void TakeBoardOff();
    void PutNewBoardOn();
    void SaveState();
    void Finish();
    // How long poll may sleep: until the next reply is due or a message goes stale; empty
    // when nothing is pending. Kept to the nanosecond so paced replies are not late.
    std::optional<std::chrono::nanoseconds> PollTimeout() const;
    std::chrono::nanoseconds ByteTime() const;
    TimePoint AdapterDelivery(TimePoint onWire) const;
    std::chrono::microseconds WorkTime(DeviceWork work) const;
    double Seconds() const;

    const SimOptions& m_options;
    FlashMemory m_flash;
    BootLoader m_loader;
    FaultPlan m_faults;
    MessageParser m_parser;
    PseudoTerminal m_line;
    TraceLog m_trace;
    WireTotals m_totals;
    std::deque<Outgoing> m_outgoing;
    const long m_startRate;
    long m_rate;
    bool m_boardOn;
    std::optional<TimePoint> m_newBoardDue;
    bool m_runningUserCode = false;
    bool m_garbling = false;
    bool m_stop = false;
    int m_exitStatus = 0;
    int m_signals = -1;
    TimePoint m_start = Clock::now();
    TimePoint m_lastByte = m_start;
    TimePoint m_receiveLineFree = m_start;
    TimePoint m_sendLineFree = m_start;
};

}  // namespace tovrel::sim
