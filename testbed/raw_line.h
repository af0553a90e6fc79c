#pragma once

#include <string>

#include "testbed/sim_files.h"

namespace tovrel::testbed {

// The host end of a serial line in its plainest form: raw bytes through a terminal, no
// program in between.
class RawLine {
  public:
    static constexpr int kReplyTimeoutMs = 3000;

    explicit RawLine(const std::string& path);  // at 9600 baud
    RawLine(const RawLine&) = delete;
    RawLine& operator=(const RawLine&) = delete;
    ~RawLine();

    bool IsOpen() const { return m_fd >= 0; }
    // 9600, 19200, 115200 or 230400 baud; false for another rate.
    bool SetSpeed(long baud);
    bool Write(const Bytes& bytes);
    // Waits until count bytes have arrived or the line stays quiet for timeoutMs; returns
    // what arrived.
    Bytes Read(std::size_t count, int timeoutMs = kReplyTimeoutMs);
    Bytes Exchange(const Bytes& message, std::size_t replySize = 1) {
        Write(message);
        return Read(replySize);
    }

  private:
    int m_fd;
};

}  // namespace tovrel::testbed
