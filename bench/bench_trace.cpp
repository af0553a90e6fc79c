#include "bench/bench_trace.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace tovrel::bench {
namespace {

constexpr double kBitsPerByte = 10;
constexpr long kBootRate = 9600;
constexpr const char* kAckHex = "06";
constexpr const char* kOriginNote = "# origin-monotonic ";

struct Line {
    double seconds = 0;
    std::string direction;
    std::string hex;
    std::string kind;
    long baud = 0;
};

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
    const double bytes = static_cast<double>(line.hex.size() / 2);
    if (line.baud > 0) figures.ownModel += kBitsPerByte * bytes / static_cast<double>(line.baud);
    if (line.direction == "RX") {
        if (line.baud > kBootRate) figures.fastRxBytes += static_cast<long>(bytes);
        if (previous != nullptr) figures.hostGaps += line.seconds - previous->seconds;
    } else if (previous != nullptr && previous->direction == "RX" && line.hex == kAckHex) {
        figures.ownModel += WorkSeconds(previous->kind, times);
    }
}

}  // namespace

std::optional<TraceFigures> AnalyseTrace(const std::string& path, const DeviceTimes& times) {
    std::ifstream in(path);
    TraceFigures figures;
    Line previous;
    bool any = false;
    std::string text;
    while (std::getline(in, text)) {
        if (text.empty()) continue;
        if (text[0] == '#') {
            ReadNote(text, figures);
            continue;
        }
        Line line;
        std::istringstream fields(text);
        if (!(fields >> line.seconds >> line.direction >> line.hex >> line.kind >> line.baud)) {
            continue;
        }
        AddLine(line, any ? &previous : nullptr, times, figures);
        if (!any) figures.firstRx = line.seconds;
        if (line.direction == "TX") figures.lastTx = line.seconds;
        previous = line;
        any = true;
    }
    if (!any) return std::nullopt;
    return figures;
}

}  // namespace tovrel::bench
