#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace tovrel::sim {

// One line per message received and per reply sent, flushed at once:
//   "<seconds> <RX|TX> <HEX> <KIND> <BAUD>"
// e.g. "12.345678 RX 070E0143BC C 9600" and "12.345900 TX 06 C 9600". KIND is the
// command letter, ID for the reset message and its answer, ? for discarded bytes and
// STRAY for injected stray bytes; BAUD is the device's rate at that moment. Notes
// (rate switches, garbling, power cycles, the closing summary) are lines starting "#";
// the second line, "# origin-monotonic <seconds>", gives the clock reading at which the
// trace opened, on CLOCK_MONOTONIC.
class TraceLog {
  public:
    TraceLog() = default;
    TraceLog(const TraceLog&) = delete;
    TraceLog& operator=(const TraceLog&) = delete;
    ~TraceLog();

    bool Open(const std::string& path, std::string& error);
    void Bytes(double seconds, std::string_view direction, std::span<const std::uint8_t> bytes,
               std::string_view kind, long baud);
    void Note(double seconds, std::string_view text);

  private:
    std::FILE* m_file = nullptr;
};

}  // namespace tovrel::sim
