#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_trace.h"
#include "testbed/processes.h"

namespace tovrel::bench {

// The figures of one case, times in seconds.
struct Row {
    std::string name;
    long baud = 0;
    std::string result;
    long messages = 0;
    long bytesToDevice = 0;
    long bytesFromDevice = 0;
    double modelled = 0;    // bytes both ways at ten bit times of their rate + device work
    double span = 0;        // first byte the device received to its last reply
    double hostGaps = 0;    // of the span: from each reply to the program's next message
    double floorGaps = -1;  // the same gaps left by a bare client (--floor), -1 when not run
    double process = 0;     // process start to its end
    double startUp = 0;     // process start to the first byte on the wire
    double exitTail = 0;    // the device's last reply to the end of the process
    double cpu = 0;         // user + system time of the program

    double Ratio() const { return modelled > 0 ? span / modelled : 0; }
    // The ratio on a line whose device answers exactly on time: the simulator's own
    // lateness or haste taken out (the span less, for every reply, its time beyond the
    // model), what the program adds kept in.
    double HostRatio() const { return modelled > 0 ? (modelled + hostGaps) / modelled : 0; }
    double CpuShare() const { return process > 0 ? cpu / process : 0; }
};

void FillRow(Row& row, const TraceFigures& figures, const testbed::ProgramRun& run);
void PrintRow(std::FILE* out, const Row& row);
void PrintTable(std::FILE* out, const std::vector<Row>& rows);
bool WriteCsv(const std::string& path, const std::vector<Row>& rows);

}  // namespace tovrel::bench
