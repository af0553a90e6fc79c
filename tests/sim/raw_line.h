#pragma once

#include <poll.h>
#include <termios.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/support/sim_process.h"

namespace tovrel::testing {

using Bytes = std::vector<std::uint8_t>;

inline const Bytes kAck{0x06};
inline const Bytes kNak{0x15};
inline const Bytes kResetBytes{0x21, 0x5A, 0x00, 0xA6};
inline const Bytes kEraseCode{0x07, 0x0E, 0x01, 0x43, 0xBC};
inline const std::string kDefaultId = "Kaz 8QA    205           ";

// The tests' own frame builders, written from the loader's rules and kept apart from the
// simulator's parser so that one cannot hide a mistake of the other.
inline Bytes Frame(char letter, const Bytes& payload = {}) {
    Bytes frame{0x07, 0x0E, static_cast<std::uint8_t>(payload.size() + 1),
                static_cast<std::uint8_t>(letter)};
    unsigned sum = frame[2] + frame[3];
    for (std::uint8_t byte : payload) frame.push_back(byte), sum += byte;
    frame.push_back(static_cast<std::uint8_t>(-sum));
    return frame;
}

// spoil is added to the checksum.
inline Bytes QuickFrame(std::uint8_t page, const Bytes& data, std::uint8_t spoil = 0) {
    Bytes frame{0x07, 'Q', page};
    unsigned sum = page;
    for (std::uint8_t byte : data) frame.push_back(byte), sum += byte;
    frame.push_back(static_cast<std::uint8_t>(spoil - sum));
    return frame;
}

inline Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The 'V' reply for an erased page: 256 bytes FF and the checksum that makes them sum to 0.
inline Bytes ErasedPage() {
    Bytes page(256, 0xFF);
    page.push_back(0x00);
    return page;
}

// The host end of the line in its plainest form: raw bytes through the terminal end.
class RawLine {
  public:
    static constexpr int kReplyTimeoutMs = 3000;

    explicit RawLine(const std::string& path) : m_fd(open(path.c_str(), O_RDWR | O_NOCTTY)) {
        SetSpeed(B9600);
    }
    RawLine(const RawLine&) = delete;
    RawLine& operator=(const RawLine&) = delete;
    ~RawLine() { close(m_fd); }

    void SetSpeed(speed_t speed) {
        termios settings{};
        tcgetattr(m_fd, &settings);
        cfmakeraw(&settings);
        cfsetspeed(&settings, speed);
        tcsetattr(m_fd, TCSANOW, &settings);
    }
    void Write(const Bytes& bytes) { m_wrote = write(m_fd, bytes.data(), bytes.size()); }

    // Waits until count bytes have arrived or the time is up; returns what arrived.
    Bytes Read(std::size_t count, int timeoutMs = kReplyTimeoutMs) {
        Bytes bytes(count);
        std::size_t got = 0;
        pollfd watched{m_fd, POLLIN, 0};
        while (got < count && poll(&watched, 1, timeoutMs) > 0) {
            const ssize_t n = read(m_fd, bytes.data() + got, count - got);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
        return bytes;
    }
    Bytes Exchange(const Bytes& message, std::size_t replySize = 1) {
        Write(message);
        return Read(replySize);
    }

  private:
    int m_fd;
    ssize_t m_wrote = 0;
};

inline std::string Hex(const Bytes& bytes) {
    std::string text;
    for (std::uint8_t byte : bytes)
        text += {"0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15]};
    return text;
}

// The trace as "RX 070E0143BC C 9600" lines. It is written as the simulator works, so this
// waits until it has at least count entries.
inline std::vector<std::string> TraceLines(const std::string& path, std::size_t count) {
    std::vector<TraceEntry> trace = ReadTrace(path);
    for (int i = 0; trace.size() < count && i < RawLine::kReplyTimeoutMs / 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        trace = ReadTrace(path);
    }
    std::vector<std::string> lines;
    for (const TraceEntry& entry : trace) {
        lines.push_back((entry.direction == TraceEntry::Direction::Rx ? "RX " : "TX ") +
                        Hex(entry.bytes) + " " + entry.kind + " " + std::to_string(entry.baud));
    }
    return lines;
}

}  // namespace tovrel::testing
