#pragma once

#include <cstdint>

namespace tovrel::testing {

// The output speed the kernel holds for a terminal, read with termios2 so that rates
// outside the classic table come back as they are. -1 when the descriptor has no line.
std::int64_t LineSpeed(int fd);

}  // namespace tovrel::testing
