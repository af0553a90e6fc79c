#include "adapters/tty_control.h"

#ifdef __linux__
#include <asm/termbits.h>
#include <linux/serial.h>
#endif
#ifndef _WIN32
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace tovrel {

#ifdef __linux__

bool ApplyExactBaudRate(int fd, std::int32_t baudRate) {
    if (baudRate <= 0) return false;
    const auto speed = static_cast<speed_t>(baudRate);
    termios2 line{};
    if (ioctl(fd, TCGETS2, &line) != 0) return false;
    if (line.c_ospeed == speed && line.c_ispeed == speed) return true;
    // BOTHER takes the speed from c_ospeed and c_ispeed as given, instead of a rate table.
    line.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    line.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    line.c_ospeed = speed;
    line.c_ispeed = speed;
    if (ioctl(fd, TCSETS2, &line) != 0) return false;
    termios2 check{};
    return ioctl(fd, TCGETS2, &check) == 0 && check.c_ospeed == speed;
}

void RequestLowLatency(int fd) {
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) != 0) return;
    if ((serial.flags & ASYNC_LOW_LATENCY) != 0) return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ioctl(fd, TIOCSSERIAL, &serial);
}

#else

bool ApplyExactBaudRate(int, std::int32_t) { return true; }
void RequestLowLatency(int) {}

#endif

#ifndef _WIN32

std::error_code SetModemLine(int fd, ModemLine line, bool asserted) {
    const int bits = line == ModemLine::Dtr ? TIOCM_DTR : TIOCM_RTS;
    // Only this line changes: the other keeps what it was set to.
    if (ioctl(fd, asserted ? TIOCMBIS : TIOCMBIC, &bits) != 0) {
        return {errno, std::system_category()};
    }
    return {};
}

std::size_t DriverInputBytes(int fd) {
    int count = 0;
    if (ioctl(fd, FIONREAD, &count) != 0 || count < 0) return 0;
    return static_cast<std::size_t>(count);
}

std::error_code LineFault(int fd) {
    pollfd line{fd, POLLIN, 0};
    if (poll(&line, 1, 0) < 0) return {errno, std::system_category()};
    if ((line.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0) return {};
    // The serial layer's own reason may be the errno of a later call; the read says it. What
    // it might take is of no use on a line that is gone.
    char byte = 0;
    if (read(fd, &byte, 1) < 0) return {errno, std::system_category()};
    return std::make_error_code(std::errc::io_error);  // the end of a line that hung up
}

#else

std::error_code SetModemLine(int, ModemLine, bool) {
    return std::make_error_code(std::errc::not_supported);
}
std::size_t DriverInputBytes(int) { return 0; }
std::error_code LineFault(int) { return {}; }

#endif

}  // namespace tovrel
