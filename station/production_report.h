#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tovrel {

// One board's row of the production record as a database gives it back, every field as
// text, empty for none: the CSV log's columns, the station and Tovrel's version.
struct RecordRow {
    std::string time;  // "2026-12-07T04:49:30Z", UTC
    std::string port, result, step, device, serial, file, checksum, seconds, station, version;
};

// Which rows a question to the record wants.
struct RecordQuery {
    std::string since;                    // "YYYY-MM-DD": from that day (UTC) on; empty: all
    std::string station;                  // empty: every station
    std::optional<std::uint32_t> serial;  // only the rows of this number
};

// The boards of the whole line since a day began.
struct LineTotals {
    long boards = 0, ok = 0, failed = 0;
};

// The production record read back; nothing is written.
class RecordReader {
  public:
    virtual ~RecordReader() = default;

    // The rows asked for, oldest first; none, with the problem, when they cannot be read.
    virtual std::optional<std::vector<RecordRow>> Rows(const RecordQuery& query,
                                                       std::string& problem) = 0;
    // Every station's boards from the start of day (UTC) on.
    virtual std::optional<LineTotals> TotalsSince(const std::string& day, std::string& problem) = 0;
};

// One day (UTC) at one station.
struct DayReport {
    std::string day, station;
    long boards = 0, ok = 0, failed = 0;  // rows; failed is every row that is not OK
    // Boards counted once each (by serial number; a row without one counts alone), on the
    // day of their first row, and those whose first row was OK.
    long firsts = 0, firstPassed = 0;
    std::vector<std::pair<std::string, long>> failedSteps;  // the most frequent first
};

// "2026-12-07": the day in UTC, as the report counts days.
std::string UtcDay(std::chrono::system_clock::time_point time);

// The rows, oldest first, by day and station, in the order of days, then of stations.
std::vector<DayReport> Summarize(const std::vector<RecordRow>& rows);

// "2026-12-07 bench-1: 12 boards, 10 OK, 2 failed, first-pass yield 83.3 %, failed steps:
// reset 1, serial 1"
std::string ReportLine(const DayReport& day);
// {"day": ..., "station": ..., "boards": 12, "ok": 10, "failed": 2, "first_pass_yield":
// 0.833, "failed_steps": {"reset": 1, "serial": 1}}
std::string JsonReport(const DayReport& day);

// A board's history: the CSV log's header and lines with the station and the version.
inline constexpr const char* kHistoryHeader =
    "time,port,result,step,device,serial,file,checksum,seconds,station,version";
std::string HistoryLine(const RecordRow& row);
std::string JsonHistory(const RecordRow& row);

// What the bench window shows of the line: "Database line.db, the line today: 12 boards, 11 OK, 1
// failed"; the problem (which names the database) when there are no totals.
std::string LineTodayText(const std::string& database, const std::optional<LineTotals>& totals,
                          const std::string& problem);

}  // namespace tovrel
