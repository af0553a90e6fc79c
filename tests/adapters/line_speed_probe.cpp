// Apart from the tests because <asm/termbits.h> cannot share a file with <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cstdint>

namespace tovrel::testing {

// The output speed the kernel holds for a terminal, read with termios2 so that rates
// outside the classic table come back as they are. -1 when the descriptor has no line.
std::int64_t LineSpeed(int fd) {
    termios2 line{};
    if (ioctl(fd, TCGETS2, &line) != 0) return -1;
    return line.c_ospeed;
}

}  // namespace tovrel::testing
