#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "tests/sim/test_bytes.h"
#include "tests/support/sim_process.h"

namespace tovrel::testing {

// The host end of the line in its plainest form: raw bytes through the terminal end.
class RawLine {
  public:
    static constexpr int kReplyTimeoutMs = 3000;

    explicit RawLine(const std::string& path, speed_t speed = B9600) {
        m_fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_fd >= 0) SetSpeed(speed);
    }
    RawLine(const RawLine&) = delete;
    RawLine& operator=(const RawLine&) = delete;
    ~RawLine() {
        if (m_fd >= 0) close(m_fd);
    }

    bool IsOpen() const { return m_fd >= 0; }

    void SetSpeed(speed_t speed) {
        termios settings{};
        tcgetattr(m_fd, &settings);
        cfmakeraw(&settings);
        cfsetispeed(&settings, speed);
        cfsetospeed(&settings, speed);
        tcsetattr(m_fd, TCSANOW, &settings);
    }

    void Write(const Bytes& bytes) {
        if (write(m_fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            m_writeFailed = true;
        }
    }

    // Waits until count bytes have arrived or the time is up; returns what arrived.
    Bytes Read(std::size_t count, int timeoutMs = kReplyTimeoutMs) {
        Bytes bytes;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (bytes.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            pollfd watched{m_fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&watched, 1, static_cast<int>(left.count())) <= 0) break;
            std::uint8_t buffer[512];
            const ssize_t got = read(m_fd, buffer, std::min(sizeof buffer, count - bytes.size()));
            if (got <= 0) break;
            bytes.insert(bytes.end(), buffer, buffer + got);
        }
        return bytes;
    }

    Bytes Exchange(const Bytes& message, std::size_t replySize = 1) {
        Write(message);
        return Read(replySize);
    }

    bool WriteFailed() const { return m_writeFailed; }

  private:
    int m_fd = -1;
    bool m_writeFailed = false;
};

// The trace is written as the simulator works; waits until it shows what a test needs.
inline std::vector<TraceEntry> WaitForTrace(
    const std::string& path, const std::function<bool(const std::vector<TraceEntry>&)>& done,
    int timeoutMs = RawLine::kReplyTimeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<TraceEntry> trace = ReadTrace(path);
    while (!done(trace) && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        trace = ReadTrace(path);
    }
    return trace;
}

inline std::size_t CountReceived(const std::vector<TraceEntry>& trace) {
    std::size_t count = 0;
    for (const TraceEntry& entry : trace) count += entry.direction == TraceEntry::Direction::Rx;
    return count;
}

inline std::string IdText(const Bytes& reply) { return std::string(reply.begin(), reply.end()); }

}  // namespace tovrel::testing
