#include "link/traced_serial_port.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <optional>

#include "core/bytes.h"
#include "link/loader_frame.h"
#include "link/reset.h"

namespace tovrel {
namespace {

constexpr std::size_t kFrameCommandAt = 3;
constexpr const char* kResetKind = "ID";
constexpr const char* kOtherKind = "-";
constexpr int kTimeDecimals = 6;  // microseconds

// What a message is, for a reader of the trace: the loader frame's command letter, the page
// frame's 'Q' (its own layout, without a length byte), or the reset message.
std::string KindOf(std::span<const std::uint8_t> bytes) {
    if (std::ranges::equal(bytes, kResetMessage)) return kResetKind;
    if (bytes.size() > kFrameCommandAt && bytes[0] == kFrameStart1 && bytes[1] == kFrameStart2) {
        return std::string(1, static_cast<char>(bytes[kFrameCommandAt]));
    }
    if (bytes.size() > 1 && bytes[0] == kFrameStart1 && bytes[1] == kCmdQuickPage) {
        return std::string(1, static_cast<char>(kCmdQuickPage));
    }
    return kOtherKind;
}

std::string FailedText(const std::error_code& error) { return " failed: " + error.message(); }

// With a point whatever the user's locale says: the trace is read by scripts too.
std::string Decimal(double value, std::optional<int> decimals) {
    char text[64];
    const auto written = decimals ? std::to_chars(text, text + sizeof text, value,
                                                  std::chars_format::fixed, *decimals)
                                  : std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

}  // namespace

double MonotonicSeconds() {
    // steady_clock is CLOCK_MONOTONIC where there is one.
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

TracedSerialPort::TracedSerialPort(std::unique_ptr<SerialPort> inner, LineSink sink,
                                   std::function<std::string()> portName, Clock clock)
    : m_inner(std::move(inner)),
      m_sink(std::move(sink)),
      m_portName(std::move(portName)),
      m_clock(std::move(clock)),
      m_start(m_clock()) {
    // The origin lets this trace be laid beside another one on the same clock, the simulated
    // device's say.
    m_sink("# tovrel trace: seconds TX|RX hex kind baud");
    m_sink("# origin-monotonic " + Decimal(m_start, kTimeDecimals));
}

void TracedSerialPort::Line(const std::string& text) {
    m_sink(Decimal(m_clock() - m_start, kTimeDecimals) + ' ' + text);
}

void TracedSerialPort::Note(const std::string& text) {
    m_sink("# " + Decimal(m_clock() - m_start, kTimeDecimals) + ' ' + text);
}

void TracedSerialPort::Bytes(const char* direction, std::span<const std::uint8_t> bytes) {
    std::string text = direction;
    text += ' ';
    for (const std::uint8_t b : bytes) text += ToHex(b);
    Line(text + ' ' + m_kind + ' ' + std::to_string(m_baud));
}

std::error_code TracedSerialPort::Open(const std::string& device, std::int32_t baudRate) {
    const std::error_code error = m_inner->Open(device, baudRate);
    const std::string rate = std::to_string(baudRate);
    if (error) {
        std::string reason = m_inner->OpenErrorText();
        if (reason.empty()) reason = error.message();
        Note("open " + m_portName() + " " + device + " " + rate + " failed: " + reason);
        return error;
    }
    // The rate changes by closing the port and opening it again at the new rate.
    const bool rateChange = device == m_device && baudRate != m_baud;
    Note(rateChange ? "rate " + rate : "open " + m_portName() + " " + device + " " + rate);
    m_device = device;
    m_baud = baudRate;
    m_open = true;
    // Said once per device: the re-opens at another rate would only repeat it.
    if (const std::string note = m_inner->OpenNote();
        !note.empty() && m_noted.insert(device).second)
        Note(note);
    return error;
}

void TracedSerialPort::Close() {
    m_inner->Close();
    // Closing a port that is closed already (the start-up identification does) is no event.
    if (m_open) Note("close");
    m_open = false;
}

std::error_code TracedSerialPort::Write(std::span<const std::uint8_t> bytes) {
    m_kind = KindOf(bytes);
    Bytes("TX", bytes);
    const std::error_code error = m_inner->Write(bytes);
    if (error) Note("write" + FailedText(error));
    return error;
}

std::size_t TracedSerialPort::Read(std::span<std::uint8_t> buffer, std::size_t count,
                                   int timeoutMs) {
    const std::size_t got = m_inner->Read(buffer, count, timeoutMs);
    if (got > 0) Bytes("RX", buffer.first(got));
    if (got < count) {
        Note("timeout " + std::to_string(timeoutMs) + " ms: " + std::to_string(got) + " of " +
             std::to_string(count) + " bytes");
    }
    return got;
}

void TracedSerialPort::DiscardInput() {
    const std::size_t dropped = m_inner->InputWaiting();
    m_inner->DiscardInput();
    if (dropped > 0) Note("discard " + std::to_string(dropped) + " bytes");
}

std::error_code TracedSerialPort::Lines(const char* name, bool asserted, std::error_code error) {
    Note(std::string("lines ") + name + (asserted ? " 1" : " 0") +
         (error ? FailedText(error) : std::string()));
    return error;
}

std::error_code TracedSerialPort::SetDtr(bool asserted) {
    return Lines("DTR", asserted, m_inner->SetDtr(asserted));
}

std::error_code TracedSerialPort::SetRts(bool asserted) {
    return Lines("RTS", asserted, m_inner->SetRts(asserted));
}

void TracedSerialPort::Sleep(double seconds, const std::function<bool()>& stopped) {
    Note("wait " + Decimal(seconds, std::nullopt) + " s");
    m_inner->Sleep(seconds, stopped);
}

}  // namespace tovrel
