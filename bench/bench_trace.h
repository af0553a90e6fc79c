#pragma once

#include <optional>
#include <string>

namespace tovrel::bench {

// The device times the simulator is started with; the bench's own model uses them too.
struct DeviceTimes {
    int eraseMs = 20;
    int pageMs = 5;
    int recordMs = 1;
};

// What one pellicon-sim --trace file says about a run, all times in seconds.
struct TraceFigures {
    double origin = 0;       // the trace's zero on CLOCK_MONOTONIC
    double firstRx = 0;      // the host's first message (trace seconds)
    double lastTx = 0;       // the device's last reply (trace seconds)
    long messages = 0;       // from the simulator's summary
    long bytesReceived = 0;  // by the device
    long bytesSent = 0;      // by the device
    double wire = 0;         // summary: every byte at ten bit times of its rate
    double device = 0;       // summary: modelled device work
    double modelled = 0;     // summary: wire + device
    double ownModel = 0;     // the same minimum, worked out here from the trace lines
    double hostGaps = 0;     // sum of the times from a reply to the host's next message
    long fastRxBytes = 0;    // bytes received at a rate above 9600
    bool summaryFound = false;
    bool garbled = false;  // host and device ran at different rates at some point

    double Span() const { return lastTx - firstRx; }
};

// Reads and works out a trace; nullopt when the file has no message at all.
std::optional<TraceFigures> AnalyseTrace(const std::string& path, const DeviceTimes& times);

}  // namespace tovrel::bench
