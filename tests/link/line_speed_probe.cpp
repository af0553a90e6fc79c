// Apart from the tests because <asm/termbits.h> cannot share a file with <termios.h>.
#include "tests/link/line_speed_probe.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace tovrel::testing {

std::int64_t LineSpeed(int fd) {
    termios2 line{};
    if (ioctl(fd, TCGETS2, &line) != 0) return -1;
    return line.c_ospeed;
}

}  // namespace tovrel::testing
