#pragma once

#include <cstddef>
#include <cstdint>
#include <system_error>

namespace tovrel {

// Line settings the portable serial layer leaves out, applied to an open descriptor.
// Kept apart because the kernel's termios2 header clashes with the C library's termios.

// Makes the line run at exactly baudRate, non-standard rates included. False when the
// driver refuses the rate.
bool ApplyExactBaudRate(int fd, std::int32_t baudRate);

// Asks the driver to hand over received bytes at once instead of batching them. Drivers
// without the setting (a pseudo-terminal, say) are left as they are.
void RequestLowLatency(int fd);

enum class ModemLine { Dtr, Rts };

// Asserts or clears one modem line; the system's error when the driver has no such line.
std::error_code SetModemLine(int fd, ModemLine line, bool asserted);

// The bytes the driver has received and nobody has read yet.
std::size_t DriverInputBytes(int fd);

// Why the line no longer works, once the serial layer saw a read or write fail: the error a
// read gives on a line that hung up or whose device is gone ("Input/output error"); empty
// while the line works.
std::error_code LineFault(int fd);

}  // namespace tovrel
