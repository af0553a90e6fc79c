#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "link/serial_port.h"

namespace tovrel {

// Seconds on the monotonic clock (CLOCK_MONOTONIC): steady across changes of the time of day.
double MonotonicSeconds();

// A serial port that reports everything that happens on the port it wraps as a protocol trace,
// one line per event. A message or what a read brought: the seconds since the trace began (six
// decimals), the direction, the bytes in hex, the kind, the port's rate:
//   0.000152 TX 215A00A6 ID 9600
//   0.021034 RX 4B617A2038514120... ID 9600
// The kind is the command letter of a loader frame (Q for a page frame), ID for the reset
// message and "-" for anything else; what a read brings has the kind of the message it answers.
// Notes begin with "#" and then their time, the layout of the simulated device's trace: the
// clock's origin first, then open and close, a reopen at another rate, a read that timed out,
// input thrown away before a message, the modem lines and their waits, what failed, and once
// per device what its open found worth knowing (an adapter's latency timer):
//   # 0.501377 timeout 500 ms: 0 of 1 bytes
class TracedSerialPort : public SerialPort {
  public:
    // Takes each line as soon as it is complete, without a line end.
    using LineSink = std::function<void(const std::string& line)>;
    using Clock = std::function<double()>;

    // portName tells the port the next open is for ("COM1"), for the open note.
    TracedSerialPort(std::unique_ptr<SerialPort> inner, LineSink sink,
                     std::function<std::string()> portName, Clock clock = MonotonicSeconds);

    std::error_code Open(const std::string& device, std::int32_t baudRate) override;
    std::string OpenErrorText() const override { return m_inner->OpenErrorText(); }
    std::string OpenNote() const override { return m_inner->OpenNote(); }
    void Close() override;
    std::error_code Write(std::span<const std::uint8_t> bytes) override;
    std::size_t Read(std::span<std::uint8_t> buffer, std::size_t count, int timeoutMs) override;
    void DiscardInput() override;
    std::size_t InputWaiting() const override { return m_inner->InputWaiting(); }
    std::string LineError() const override { return m_inner->LineError(); }
    std::error_code SetDtr(bool asserted) override;
    std::error_code SetRts(bool asserted) override;
    void Sleep(double seconds, const std::function<bool()>& stopped) override;

  private:
    void Line(const std::string& text);
    void Note(const std::string& text);
    void Bytes(const char* direction, std::span<const std::uint8_t> bytes);
    std::error_code Lines(const char* name, bool asserted, std::error_code error);

    std::unique_ptr<SerialPort> m_inner;
    LineSink m_sink;
    std::function<std::string()> m_portName;
    Clock m_clock;
    double m_start;
    std::string m_device;      // of the last open that succeeded
    std::int32_t m_baud = 0;   // the rate of that open
    std::string m_kind = "-";  // of the last message sent
    bool m_open = false;
    std::set<std::string> m_noted;  // devices whose open note is in the trace
};

}  // namespace tovrel
