#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "workflow/board_step.h"

namespace tovrel {

enum class BoardOutcome { OK, Failed, Interrupted };

// One board's run on a bench port, as the summary, the production log and JSON report it.
struct BoardResult {
    std::string port;  // as given on the command line
    BoardOutcome outcome = BoardOutcome::Failed;
    BoardStep step = BoardStep::None;  // the first failed step
    std::string device;                // empty: not identified
    std::optional<std::uint32_t> serial;
    std::string file;  // the download file as given
    std::optional<std::int32_t> checksum;
    double seconds = 0;
    std::chrono::system_clock::time_point ended;
};

// The boards of a loop, for its last line.
struct BenchTotals {
    int boards = 0, ok = 0, failed = 0, interrupted = 0;
};

// "OK", "FAILED" or "INTERRUPTED".
const char* OutcomeName(BoardOutcome outcome);

// "<port>: RESULT OK, device Zerk8QA version 2.05, serial 1001, 3.2 s"; a failed board names
// its step in brackets, "-" stands for what is not known.
std::string SummaryLine(const BoardResult& result);
// "TOTAL: 5 boards, 4 OK, 1 FAILED", and ", 1 INTERRUPTED" when there were any.
std::string TotalLine(const BenchTotals& totals);

// The production log: its header, and one line per board (without the line end).
inline constexpr const char* kCsvHeader =
    "time,port,result,step,device,serial,file,checksum,seconds";
std::string CsvLine(const BoardResult& result);
// A CSV field: quoted when it holds a separator, a quote or a line break, its quotes doubled.
std::string CsvField(const std::string& text);
// "2026-12-07T04:49:30Z": the time in UTC, to the second.
std::string UtcTime(std::chrono::system_clock::time_point time);

// One JSON object per line, for machines.
std::string JsonStatusLine(const std::string& port, const std::string& line);
std::string JsonProgress(const std::string& port, int percent);
std::string JsonMessage(const std::string& port, const std::string& text, const std::string& title);
std::string JsonResult(const BoardResult& result);
std::string JsonTotal(const BenchTotals& totals);
// text as a JSON string, quotes included: control characters as \u00XX, bytes that are no
// UTF-8 as U+FFFD.
std::string JsonString(const std::string& text);

// Seconds with one decimal and a point whatever the locale ("3.2").
std::string Tenths(double seconds);

}  // namespace tovrel
