#include "testbed/raw_line.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace tovrel::testbed {

RawLine::RawLine(const std::string& path)
    : m_fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    SetSpeed(9600);
}

RawLine::~RawLine() {
    if (m_fd >= 0) close(m_fd);
}

bool RawLine::SetSpeed(long baud) {
    const speed_t speed = baud == 9600     ? B9600
                          : baud == 19200  ? B19200
                          : baud == 115200 ? B115200
                          : baud == 230400 ? B230400
                                           : B0;
    termios line{};
    if (speed == B0 || tcgetattr(m_fd, &line) != 0) return false;
    cfmakeraw(&line);
    line.c_cflag |= CLOCAL | CREAD;
    cfsetspeed(&line, speed);
    return tcsetattr(m_fd, TCSANOW, &line) == 0;
}

bool RawLine::Write(const Bytes& bytes) {
    return write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

Bytes RawLine::Read(std::size_t count, int timeoutMs) {
    Bytes bytes(count);
    std::size_t got = 0;
    pollfd watched{m_fd, POLLIN, 0};
    while (got < count && poll(&watched, 1, timeoutMs) > 0) {
        const ssize_t n = read(m_fd, bytes.data() + got, count - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

}  // namespace tovrel::testbed
