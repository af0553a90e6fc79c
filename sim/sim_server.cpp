#include "sim/sim_server.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace tovrel::sim {
namespace {

using std::chrono::duration_cast;
using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr long kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr std::chrono::milliseconds kLastReplyLinger{300};
constexpr long kTolerancePercent = 3;
// A receiver at the wrong rate sees framing errors; the loader reads them as 00 bytes,
// which never start a message, and the host reads the device's replies the same way.
constexpr std::uint8_t kGarbledByte = 0x00;
constexpr std::size_t kReadChunk = 4096;
constexpr int kExitFailure = 1;
constexpr std::size_t kVerifyPageOffset = 4;

bool RatesMatch(long host, long device) {
    return host > 0 && std::labs(host - device) * 100 <= kTolerancePercent * device;
}

std::string KindOf(const Message& message) {
    if (message.kind == MessageKind::Reset) return "ID";
    if (message.kind == MessageKind::Junk) return "?";
    const std::uint8_t letter = message.Letter();
    return letter >= 'A' && letter <= 'Z' ? std::string(1, static_cast<char>(letter)) : "?";
}

int OpenSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGURG}) {
        sigaddset(&set, signal);
    }
    sigprocmask(SIG_BLOCK, &set, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
}

}  // namespace

SimServer::SimServer(const SimOptions& options)
    : m_options(options),
      m_flash(options.codeSize, options.dataPages),
      m_loader(m_flash, options.idText, options.coreClock),
      m_faults(options.faults, options.corruptions),
      m_startRate(options.startRate != 0 ? options.startRate : StartRate(options.coreClock)),
      m_rate(m_startRate),
      m_boardOn(!options.noBoard) {}

SimServer::~SimServer() {
    if (m_signals >= 0) close(m_signals);
}

bool SimServer::Start(std::string& error) {
    if (!m_options.statePath.empty() && !m_flash.Load(m_options.statePath, error)) return false;
    if (!m_options.tracePath.empty() && !m_trace.Open(m_options.tracePath, error)) return false;
    m_signals = OpenSignals();
    if (m_signals < 0) {
        error = "cannot receive signals";
        return false;
    }
    if (!m_line.Open(error)) return false;
    if (!m_options.linkPath.empty() && !m_line.MakeLink(m_options.linkPath, error)) return false;
    // The state file exists from the start, so a reader never misses it.
    if (!m_options.statePath.empty() && !m_flash.Save(m_options.statePath, error)) return false;
    m_trace.Note(Seconds(), m_boardOn ? "boot loader at " + std::to_string(m_rate) + " baud"
                                      : "no board on the line");
    std::printf("%s\n", m_line.Path().c_str());
    std::fflush(stdout);
    return true;
}

int SimServer::Serve() {
    while (!m_stop) {
        std::array<pollfd, 3> watched{{{m_line.MasterFd(), POLLIN, 0},
                                       {m_line.WatchFd(), POLLIN, 0},
                                       {m_signals, POLLIN, 0}}};
        const std::optional<std::chrono::nanoseconds> timeout = PollTimeout();
        timespec wait{};
        if (timeout) {
            wait.tv_sec = static_cast<time_t>(timeout->count() / 1000000000);
            wait.tv_nsec = static_cast<long>(timeout->count() % 1000000000);
        }
        if (ppoll(watched.data(), watched.size(), timeout ? &wait : nullptr, nullptr) < 0 &&
            errno != EINTR) {
            std::perror("pellicon-sim: poll");
            m_exitStatus = kExitFailure;
            break;
        }
        // The simulator holds the terminal end open itself, so the line never hangs up
        // under it; if it does anyway, there is nothing left to serve.
        if (watched[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            std::fprintf(stderr, "pellicon-sim: the terminal failed\n");
            m_exitStatus = kExitFailure;
            break;
        }
        if (watched[1].revents & POLLIN) m_line.TrackHost();
        if (watched[2].revents & POLLIN) TakeSignals();
        if (!m_stop && m_newBoardDue && Clock::now() >= *m_newBoardDue) PutNewBoardOn();
        if (!m_stop && (watched[0].revents & POLLIN)) ReceiveFromHost();
        if (!m_stop && m_parser.InMessage() &&
            Clock::now() - m_lastByte >= milliseconds(m_options.gapTimeoutMs)) {
            std::vector<Message> junk;
            m_parser.Abandon(junk);
            for (const Message& message : junk) Handle(message, Clock::now());
        }
        if (!m_stop) SendDue();
    }
    Finish();
    return m_exitStatus;
}

// Every chunk is checked against the rate the host has set at that moment.
void SimServer::ReceiveFromHost() {
    std::array<std::uint8_t, kReadChunk> buffer;
    const ssize_t count = m_line.Read(buffer);
    if (count <= 0) return;
    const TimePoint now = Clock::now();
    const long hostRate = m_line.HostSpeed().output;
    const bool garbled = !RatesMatch(hostRate, m_rate);
    if (garbled != m_garbling) {
        m_garbling = garbled;
        m_trace.Note(Seconds(), garbled
                                    ? "host at " + std::to_string(hostRate) + " baud, device at " +
                                          std::to_string(m_rate) + ": bytes garbled"
                                    : "host and device rates match again");
    }
    for (ssize_t i = 0; i < count; ++i) TakeByte(garbled ? kGarbledByte : buffer[i], now);
    std::vector<Message> junk;
    m_parser.FlushJunk(junk);
    for (const Message& message : junk) Handle(message, m_receiveLineFree);
    m_lastByte = now;
}

void SimServer::TakeByte(std::uint8_t byte, TimePoint now) {
    m_receiveLineFree = std::max(now, m_receiveLineFree) + ByteTime();
    m_totals.receivedBytes += 1;
    m_totals.wireSeconds += kBitsPerByte / static_cast<double>(m_rate);
    std::vector<Message> messages;
    m_parser.Feed(byte, messages);
    for (const Message& message : messages) Handle(message, m_receiveLineFree);
}

void SimServer::Handle(const Message& message, TimePoint completed) {
    m_trace.Bytes(Seconds(), "RX", message.bytes, KindOf(message), m_rate);
    if (message.kind == MessageKind::Junk) return;
    m_totals.messages += 1;
    const FaultDecision decision = m_faults.Decide(message);
    LoaderReply reply = Answer(message, decision);
    if (reply.changedMemory) SaveState();
    if (reply.startsUserCode) m_runningUserCode = true;
    if (message.Letter() == kVerifyLetter && message.Sound() && reply.bytes.size() > 1) {
        m_faults.CorruptVerifyReply(message.bytes[kVerifyPageOffset], reply.bytes);
    }
    if (decision.shortCount && *decision.shortCount < reply.bytes.size()) {
        reply.bytes.resize(*decision.shortCount);
    }
    if (decision.dropReply) reply.bytes.clear();
    Schedule(message, std::move(reply), decision, completed);
}

// A substituted byte other than 06 stands for a refusal, so the command is not carried out.
LoaderReply SimServer::Answer(const Message& message, const FaultDecision& decision) {
    if (!m_boardOn || m_runningUserCode || m_options.silent) return LoaderReply{};
    if (!decision.replyByte) return m_loader.Handle(message);
    if (*decision.replyByte != kAck) return LoaderReply{{*decision.replyByte}};
    LoaderReply reply = m_loader.Handle(message);
    reply.bytes = {kAck};
    return reply;
}

void SimServer::Schedule(const Message& message, LoaderReply reply, const FaultDecision& decision,
                         TimePoint completed) {
    const microseconds work = WorkTime(reply.work);
    m_totals.deviceSeconds += std::chrono::duration<double>(work).count();
    TimePoint start = std::max(completed, m_sendLineFree) + milliseconds(decision.delayMs);
    if (m_options.realtime) start += work;
    if (!decision.stray.empty() && !reply.bytes.empty()) {
        start += ByteTime() * static_cast<long>(decision.stray.size());
        m_outgoing.push_back(Outgoing{AdapterDelivery(start), decision.stray, "STRAY"});
    }
    start += ByteTime() * static_cast<long>(reply.bytes.size());
    m_outgoing.push_back(Outgoing{AdapterDelivery(start), std::move(reply.bytes), KindOf(message),
                                  reply.newRate, decision.hangUp, decision.exitAfter,
                                  decision.newBoardMs});
    m_sendLineFree = start;
}

void SimServer::SendDue() {
    while (!m_stop && !m_outgoing.empty() && m_outgoing.front().due <= Clock::now()) {
        const Outgoing outgoing = std::move(m_outgoing.front());
        m_outgoing.pop_front();
        Send(outgoing);
    }
}

void SimServer::Send(const Outgoing& outgoing) {
    if (!outgoing.bytes.empty()) {
        const LineSpeed host = m_line.HostSpeed();
        const bool garbled = !RatesMatch(host.input != 0 ? host.input : host.output, m_rate);
        Bytes wire = outgoing.bytes;
        if (garbled) std::fill(wire.begin(), wire.end(), kGarbledByte);
        m_line.Write(wire);
        m_trace.Bytes(Seconds(), "TX", wire, outgoing.kind, m_rate);
        m_totals.sentBytes += static_cast<long>(wire.size());
        m_totals.wireSeconds += kBitsPerByte * static_cast<double>(wire.size()) / m_rate;
    }
    if (outgoing.newRate != 0) {
        m_rate = outgoing.newRate;
        m_trace.Note(Seconds(), "device rate now " + std::to_string(m_rate) + " baud");
    }
    if (outgoing.newBoardMs) {
        TakeBoardOff();
        m_newBoardDue = Clock::now() + milliseconds(*outgoing.newBoardMs);
    }
    // Let the host read the last reply before the line goes away: closing the terminal
    // end throws away what the host has not read yet.
    if (outgoing.hangUp || outgoing.exitAfter) std::this_thread::sleep_for(kLastReplyLinger);
    if (outgoing.hangUp) {
        m_trace.Note(Seconds(), "terminal hung up");
        m_line.HangUp();
    }
    m_stop = m_stop || outgoing.hangUp || outgoing.exitAfter;
}

void SimServer::TakeSignals() {
    signalfd_siginfo info{};
    while (read(m_signals, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        if (info.ssi_signo == SIGUSR1 || info.ssi_signo == SIGUSR2) {
            PowerCycle(info.ssi_signo == SIGUSR1);
        } else if (info.ssi_signo == SIGALRM) {
            TakeBoardOff();
        } else if (info.ssi_signo == SIGURG) {
            PutNewBoardOn();
        } else {
            m_stop = true;
        }
    }
}

// A power cycle forgets everything but the flash; with the download pin held the
// boot loader starts again at its crystal's rate, without it the user code runs.
void SimServer::PowerCycle(bool downloadPinHeld) {
    if (!m_boardOn) {
        m_trace.Note(Seconds(), "power cycle: no board on the line");
        return;
    }
    m_outgoing.clear();
    m_parser.Reset();
    m_rate = m_startRate;
    m_runningUserCode = !downloadPinHeld;
    m_receiveLineFree = m_sendLineFree = Clock::now();
    m_trace.Note(Seconds(), downloadPinHeld ? "power cycle, download pin held: boot loader at " +
                                                  std::to_string(m_rate) + " baud"
                                            : "power cycle: user code runs");
}

// Replies the board had not sent yet leave with it.
void SimServer::TakeBoardOff() {
    m_outgoing.clear();
    m_parser.Reset();
    m_boardOn = false;
    m_trace.Note(Seconds(), "board taken off the line");
}

// A board fresh from the factory, on a fixture that holds its download pin.
void SimServer::PutNewBoardOn() {
    m_newBoardDue.reset();
    m_flash = FlashMemory(m_options.codeSize, m_options.dataPages);
    SaveState();
    m_boardOn = true;
    m_trace.Note(Seconds(), "new board on the line: flash erased");
    PowerCycle(true);
}

void SimServer::SaveState() {
    std::string error;
    if (!m_options.statePath.empty() && !m_flash.Save(m_options.statePath, error)) {
        std::fprintf(stderr, "pellicon-sim: %s\n", error.c_str());
    }
}

void SimServer::Finish() {
    char summary[256];
    std::snprintf(summary, sizeof summary,
                  "%ld messages, %ld bytes received, %ld bytes sent, wire %.6f s, device %.6f s, "
                  "modelled minimum %.6f s",
                  m_totals.messages, m_totals.receivedBytes, m_totals.sentBytes,
                  m_totals.wireSeconds, m_totals.deviceSeconds,
                  m_totals.wireSeconds + m_totals.deviceSeconds);
    m_trace.Note(Seconds(), summary);
    std::fprintf(stderr, "pellicon-sim: %s\n", summary);
    m_line.HangUp();
}

std::optional<std::chrono::nanoseconds> SimServer::PollTimeout() const {
    std::optional<TimePoint> wake;
    if (!m_outgoing.empty()) wake = m_outgoing.front().due;
    if (m_newBoardDue) wake = wake ? std::min(*wake, *m_newBoardDue) : *m_newBoardDue;
    if (m_parser.InMessage()) {
        const TimePoint gapEnd = m_lastByte + milliseconds(m_options.gapTimeoutMs);
        wake = wake ? std::min(*wake, gapEnd) : gapEnd;
    }
    if (!wake) return std::nullopt;
    const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(*wake - Clock::now());
    return std::max(wait, std::chrono::nanoseconds(0));
}

// The adapter passes on what it has received when its timer runs out, every latencyMs from
// the start: the reply leaves the wire in time and waits there for the next tick.
TimePoint SimServer::AdapterDelivery(TimePoint onWire) const {
    if (m_options.latencyMs <= 0) return onWire;
    const auto tick =
        std::chrono::duration_cast<Clock::duration>(milliseconds(m_options.latencyMs));
    const auto ticks = (onWire - m_start + tick - Clock::duration(1)) / tick;
    return m_start + ticks * tick;
}

std::chrono::nanoseconds SimServer::ByteTime() const {
    if (!m_options.realtime) return std::chrono::nanoseconds(0);
    return std::chrono::nanoseconds(kBitsPerByte * 1000000000LL / m_rate);
}

microseconds SimServer::WorkTime(DeviceWork work) const {
    switch (work) {
        case DeviceWork::Erase:
            return milliseconds(m_options.eraseMs);
        case DeviceWork::PageWrite:
            return milliseconds(m_options.pageWriteMs);
        case DeviceWork::RecordWrite:
            return milliseconds(m_options.recordWriteMs);
        case DeviceWork::None:
            break;
    }
    return microseconds(0);
}

double SimServer::Seconds() const {
    return std::chrono::duration<double>(Clock::now() - m_start).count();
}

}  // namespace tovrel::sim
