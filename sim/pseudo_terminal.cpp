#include "sim/pseudo_terminal.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tovrel::sim {
namespace {

constexpr std::uint32_t kOpenEvents = IN_OPEN;
constexpr std::uint32_t kCloseEvents = IN_CLOSE_WRITE | IN_CLOSE_NOWRITE;
constexpr std::size_t kEventBufferSize = 4096;

bool Fail(std::string& error, const std::string& what) {
    error = what + ": " + std::strerror(errno);
    return false;
}

bool MakeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) return false;
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

}  // namespace

PseudoTerminal::~PseudoTerminal() { HangUp(); }

bool PseudoTerminal::Open(std::string& error) {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0) return Fail(error, "cannot create a pseudo-terminal");
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        return Fail(error, "cannot unlock the pseudo-terminal");
    }
    const char* name = ptsname(m_master);
    if (name == nullptr) return Fail(error, "cannot name the pseudo-terminal");
    m_path = name;
    m_slave = open(m_path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0 || !MakeRaw(m_slave)) return Fail(error, "cannot set up " + m_path);
    m_watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch < 0 || inotify_add_watch(m_watch, m_path.c_str(), kOpenEvents | kCloseEvents) < 0) {
        return Fail(error, "cannot watch " + m_path);
    }
    return true;
}

bool PseudoTerminal::MakeLink(const std::string& path, std::string& error) {
    struct stat existing {};
    if (lstat(path.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) {
            error = "cannot make the link " + path + ": a file that is not a link is in the way";
            return false;
        }
        unlink(path.c_str());
    }
    if (symlink(m_path.c_str(), path.c_str()) != 0) {
        return Fail(error, "cannot make the link " + path);
    }
    m_link = path;
    return true;
}

ssize_t PseudoTerminal::Read(std::span<std::uint8_t> buffer) {
    const ssize_t count = read(m_master, buffer.data(), buffer.size());
    if (count < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
    return count;
}

void PseudoTerminal::Write(std::span<const std::uint8_t> bytes) {
    TrackHost();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = write(m_master, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;  // a full terminal buffer loses the rest, like a wire
        done += static_cast<std::size_t>(count);
    }
    if (m_hostOpens == 0) tcflush(m_slave, TCIFLUSH);
}

LineSpeed PseudoTerminal::HostSpeed() const {
    LineSpeed speed;
    ReadLineSpeed(m_master, speed);
    return speed;
}

void PseudoTerminal::TrackHost() {
    alignas(inotify_event) std::array<char, kEventBufferSize> buffer;
    ssize_t count;
    while ((count = read(m_watch, buffer.data(), buffer.size())) > 0) {
        for (ssize_t offset = 0; offset < count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + offset);
            if (event->mask & kOpenEvents) ++m_hostOpens;
            if ((event->mask & kCloseEvents) && m_hostOpens > 0 && --m_hostOpens == 0) {
                // The last close of a real port discards its input and its exclusive lock.
                tcflush(m_slave, TCIFLUSH);
                ioctl(m_slave, TIOCNXCL);
            }
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

void PseudoTerminal::HangUp() {
    if (!m_link.empty()) unlink(m_link.c_str());
    m_link.clear();
    Close();
}

void PseudoTerminal::Close() {
    for (int* fd : {&m_watch, &m_slave, &m_master}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

}  // namespace tovrel::sim
