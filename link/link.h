#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "core/host.h"
#include "core/settings.h"
#include "link/line_sequence.h"
#include "link/serial_port.h"

namespace tovrel {

// Everything a device exchange needs: the record, the port, the host and the port lookup.
// What the exchanges need of the configuration panel (the crystal frequency text) comes in
// the record.
struct Link {
    Settings& settings;
    SerialPort& port;
    Host& host;
    // The device path of port COMn.
    std::function<std::string(int comport)> portPath;
    // The modem-line sequences around the exchanges; empty ones leave the lines alone.
    ModemLines lines{};
    // The port's name for the user when it is no COMn: a bench port given as a device path.
    std::string portLabel = {};
};

// "COM<Comport>", or the label of a port given as a device path.
std::string PortName(const Link& link);

inline constexpr int kReplyTimeoutMs = 500;
inline constexpr std::uint8_t kAck = 0x06;

// Whether a message still goes out once a stop was asked for (Host::StopSignal): only the way
// back to 9600 baud does, so that the device is not left at the fast rate.
enum class AfterStop { Withheld, Sent };

// Opens COM`Comport` at `PCBaudrate`. On failure shows "Error encountered while Opening Port"
// and answers false.
bool OpenCommPort(Link& link);
void CloseCommPort(Link& link);
// Runs a modem-line sequence on the open port. Shows "Cannot set DTR on COM1 (/dev/ttyUSB0):
// <the system's reason>" and answers false when a line cannot be set.
bool SetModemLines(Link& link, const LineSequence& sequence);
// Waits while the window keeps processing events.
void Pause(Link& link, float nSecond);

// Discards the input that arrived so far, then writes one whole message. False, with nothing
// written, when the message is withheld after a stop or the line has failed (LineError).
bool WriteMessage(Link& link, std::span<const std::uint8_t> message,
                  AfterStop afterStop = AfterStop::Withheld);
// Reads up to count bytes into RxBuffer from index 0 with the 500 ms time-out.
std::size_t ReadReply(Link& link, std::size_t count);
// Writes the message and reads the one-byte reply: true exactly when 06 hex arrived in time.
bool SendAndAcknowledge(Link& link, std::span<const std::uint8_t> message,
                        AfterStop afterStop = AfterStop::Withheld);

}  // namespace tovrel
