// Kept apart: the kernel's termios2 header cannot share a file with <termios.h>.
#include "sim/host_speed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace tovrel::sim {

bool ReadLineSpeed(int fd, LineSpeed& speed) {
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0) return false;
    speed.input = static_cast<long>(settings.c_ispeed);
    speed.output = static_cast<long>(settings.c_ospeed);
    return true;
}

}  // namespace tovrel::sim
