#include "bench/bench_trace.h"

#include <cstdio>

#include "testbed/sim_files.h"

namespace tovrel::bench {
namespace {

constexpr double kBitsPerByte = 10;
constexpr long kBootRate = 9600;
constexpr std::uint8_t kAck = 0x06;
constexpr const char* kOriginNote = "# origin-monotonic ";

using Line = testbed::TraceEntry;

// The device work one acknowledged command costs, as the simulator models it.
double WorkSeconds(const std::string& kind, const DeviceTimes& times) {
    if (kind == "C" || kind == "A") return times.eraseMs / 1000.0;
    if (kind == "Q") return times.pageMs / 1000.0;
    if (kind == "W" || kind == "E" || kind == "S" || kind == "F") return times.recordMs / 1000.0;
    return 0;
}

void ReadNote(const std::string& text, TraceFigures& figures) {
    if (text.rfind(kOriginNote, 0) == 0) {
        figures.origin = std::stod(text.substr(std::string(kOriginNote).size()));
        return;
    }
    if (text.find("garbled") != std::string::npos) figures.garbled = true;
    double seconds = 0;
    if (std::sscanf(text.c_str(),
                    "# %lf %ld messages, %ld bytes received, %ld bytes sent, wire %lf s, "
                    "device %lf s, modelled minimum %lf s",
                    &seconds, &figures.messages, &figures.bytesReceived, &figures.bytesSent,
                    &figures.wire, &figures.device, &figures.modelled) == 7) {
        figures.summaryFound = true;
    }
}

// Every byte at ten bit times of the rate it travelled at, and the device's work for
// each command it acknowledged; the time from each reply to the host's next message.
void AddLine(const Line& line, const Line* previous, const DeviceTimes& times,
             TraceFigures& figures) {
    const double bytes = static_cast<double>(line.bytes.size());
    if (line.baud > 0) figures.ownModel += kBitsPerByte * bytes / static_cast<double>(line.baud);
    if (line.received) {
        if (line.baud > kBootRate) figures.fastRxBytes += static_cast<long>(bytes);
        if (previous != nullptr) figures.hostGaps += line.seconds - previous->seconds;
    } else if (previous != nullptr && previous->received && line.bytes == testbed::Bytes{kAck}) {
        figures.ownModel += WorkSeconds(previous->kind, times);
    }
}

}  // namespace

std::optional<TraceFigures> AnalyseTrace(const std::string& path, const DeviceTimes& times) {
    std::vector<std::string> notes;
    const std::vector<Line> lines = testbed::ReadTrace(path, &notes);
    if (lines.empty()) return std::nullopt;
    TraceFigures figures;
    for (const std::string& note : notes) ReadNote(note, figures);
    figures.firstRx = lines.front().seconds;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        AddLine(lines[i], i > 0 ? &lines[i - 1] : nullptr, times, figures);
        if (!lines[i].received) figures.lastTx = lines[i].seconds;
    }
    return figures;
}

}  // namespace tovrel::bench
