#include "sim/trace_log.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace tovrel::sim {

TraceLog::~TraceLog() {
    if (m_file != nullptr) std::fclose(m_file);
}

bool TraceLog::Open(const std::string& path, std::string& error) {
    m_file = std::fopen(path.c_str(), "w");
    if (m_file == nullptr) {
        error = "cannot create the trace file " + path + ": " + std::strerror(errno);
        return false;
    }
    std::fputs("# pellicon-sim trace: seconds RX|TX hex kind baud\n", m_file);
    // The trace opens right after the simulator's clock starts; a benchmark adds this to
    // the trace's seconds to put them on its own monotonic clock (steady_clock is
    // CLOCK_MONOTONIC here).
    const double origin =
        std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    std::fprintf(m_file, "# origin-monotonic %.6f\n", origin);
    std::fflush(m_file);
    return true;
}

void TraceLog::Bytes(double seconds, std::string_view direction,
                     std::span<const std::uint8_t> bytes, std::string_view kind, long baud) {
    if (m_file == nullptr) return;
    // One buffer and one write per line: the device goes on serving right after a
    // reply, and a page of hex through printf would hold it up for tens of microseconds.
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char head[64];
    const int headLength = std::snprintf(head, sizeof head, "%.6f ", seconds);
    std::string line(head, static_cast<std::size_t>(std::max(headLength, 0)));
    line.reserve(line.size() + direction.size() + 2 * bytes.size() + kind.size() + 24);
    line.append(direction).push_back(' ');
    for (std::uint8_t byte : bytes) {
        line.push_back(kDigits[byte >> 4]);
        line.push_back(kDigits[byte & 0x0F]);
    }
    line.push_back(' ');
    line.append(kind).append(" ").append(std::to_string(baud)).push_back('\n');
    std::fwrite(line.data(), 1, line.size(), m_file);
    std::fflush(m_file);
}

void TraceLog::Note(double seconds, std::string_view text) {
    if (m_file == nullptr) return;
    std::fprintf(m_file, "# %.6f %.*s\n", seconds, static_cast<int>(text.size()), text.data());
    std::fflush(m_file);
}

}  // namespace tovrel::sim
