#pragma once

#include <cstdint>

namespace tovrel {

// Line settings the portable serial layer leaves out, applied to an open descriptor.
// Kept apart because the kernel's termios2 header clashes with the C library's termios.

// Makes the line run at exactly baudRate, non-standard rates included. False when the
// driver refuses the rate.
bool ApplyExactBaudRate(int fd, std::int32_t baudRate);

// Asks the driver to hand over received bytes at once instead of batching them. Drivers
// without the setting (a pseudo-terminal, say) are left as they are.
void RequestLowLatency(int fd);

}  // namespace tovrel
