#include "bench/bench_table.h"

namespace tovrel::bench {
namespace {

constexpr double kMilli = 1000.0;
constexpr double kPercent = 100.0;

constexpr const char* kHeader =
    "case                   baud  result  msgs  bytes->dev  bytes<-dev  modelled_s  wire_span_s  "
    "ratio  host_gaps_s  floor_gaps_s  host_ratio  process_s  startup_ms  exit_ms  cpu_s  cpu_%\n";

void PrintLine(std::FILE* out, const Row& row) {
    std::fprintf(
        out,
        "%-20s %6ld  %-6s %5ld  %10ld  %10ld  %10.3f  %11.3f  %5.3f  %11.3f  %12.3f  %10.3f  "
        "%9.3f  %10.1f  %7.1f  %5.3f  %5.2f\n",
        row.name.c_str(), row.baud, row.result.c_str(), row.messages, row.bytesToDevice,
        row.bytesFromDevice, row.modelled, row.span, row.Ratio(), row.hostGaps, row.floorGaps,
        row.HostRatio(), row.process, row.startUp * kMilli, row.exitTail * kMilli, row.cpu,
        row.CpuShare() * kPercent);
}

}  // namespace

void FillRow(Row& row, const TraceFigures& figures, const testbed::ProgramRun& run) {
    row.messages = figures.messages;
    row.bytesToDevice = figures.bytesReceived;
    row.bytesFromDevice = figures.bytesSent;
    row.modelled = figures.modelled;
    row.span = figures.Span();
    row.hostGaps = figures.hostGaps;
    row.process = run.endSeconds - run.startSeconds;
    row.startUp = figures.origin + figures.firstRx - run.startSeconds;
    row.exitTail = run.endSeconds - (figures.origin + figures.lastTx);
    row.cpu = run.cpuSeconds;
}

void PrintRow(std::FILE* out, const Row& row) {
    std::fputs(kHeader, out);
    PrintLine(out, row);
    std::fflush(out);
}

void PrintTable(std::FILE* out, const std::vector<Row>& rows) {
    std::fputs(kHeader, out);
    for (const Row& row : rows) PrintLine(out, row);
    std::fflush(out);
}

bool WriteCsv(const std::string& path, const std::vector<Row>& rows) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr) return false;
    std::fputs(
        "case,baud,result,messages,bytes_to_device,bytes_from_device,modelled_s,wire_span_s,"
        "ratio,host_gaps_s,floor_gaps_s,host_ratio,process_s,startup_ms,exit_ms,cpu_s,cpu_"
        "percent\n",
        out);
    for (const Row& row : rows) {
        std::fprintf(
            out, "%s,%ld,%s,%ld,%ld,%ld,%.6f,%.6f,%.4f,%.6f,%.6f,%.4f,%.6f,%.2f,%.2f,%.4f,%.3f\n",
            row.name.c_str(), row.baud, row.result.c_str(), row.messages, row.bytesToDevice,
            row.bytesFromDevice, row.modelled, row.span, row.Ratio(), row.hostGaps, row.floorGaps,
            row.HostRatio(), row.process, row.startUp * kMilli, row.exitTail * kMilli, row.cpu,
            row.CpuShare() * kPercent);
    }
    return std::fclose(out) == 0;
}

}  // namespace tovrel::bench
