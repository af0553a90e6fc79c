#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <system_error>
#include <thread>

namespace tovrel {

// One serial line to the device: 8 data bits, no parity, 1 stop bit, no flow control.
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Opens the device path exclusively at the given rate (any positive integer).
    virtual std::error_code Open(const std::string& device, std::int32_t baudRate) = 0;
    // Why the last Open failed in the system's words ("No such file or directory"); empty
    // when the error code's own message says it.
    virtual std::string OpenErrorText() const { return {}; }
    // What the last open found about the line that a reader of a trace should know (a USB
    // adapter that holds each answer for its latency timer); empty when nothing.
    virtual std::string OpenNote() const { return {}; }
    // Releases the port; harmless when it is not open.
    virtual void Close() = 0;
    // Sends all bytes, in order, as one message; the error when they did not all leave.
    virtual std::error_code Write(std::span<const std::uint8_t> bytes) = 0;
    // Waits until count bytes have arrived or timeoutMs has run out and stores what arrived
    // at the start of buffer (at most count bytes). Returns the number of bytes stored.
    virtual std::size_t Read(std::span<std::uint8_t> buffer, std::size_t count, int timeoutMs) = 0;
    // Why the open line stopped working under a read or a write (hung up, an I/O error, the
    // device gone), in the system's words ("Input/output error"); empty while it works.
    // Cleared by the next Open.
    virtual std::string LineError() const { return {}; }
    // Drops every byte that has arrived and not been read, in the driver's buffer too.
    virtual void DiscardInput() = 0;
    // How many bytes have arrived and not been read, for a trace of what a discard drops; 0
    // where the port cannot tell.
    virtual std::size_t InputWaiting() const { return 0; }

    // The modem lines of the open port (true = asserted), which many boards wire to the chip's
    // reset and PSEN pins. The system's error when the port has no such line (a
    // pseudo-terminal has none) or is not open.
    virtual std::error_code SetDtr(bool asserted) = 0;
    virtual std::error_code SetRts(bool asserted) = 0;
    // Holds the lines as they are for the given time, or until stopped answers true (a stop
    // signal ends the wait at once): the waits between line changes, which the chip needs to
    // see a reset. Real time here; a fake port only notes it.
    virtual void Sleep(double seconds, const std::function<bool()>& stopped) {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                         std::chrono::duration<double>(seconds));
        for (Clock::time_point now; !(stopped && stopped()) && (now = Clock::now()) < end;) {
            std::this_thread::sleep_for(std::min<Clock::duration>(end - now, kSleepSlice));
        }
    }
    static constexpr std::chrono::milliseconds kSleepSlice{20};
};

}  // namespace tovrel
