#include "station/production_report.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "station/board_result.h"

namespace tovrel {
namespace {

constexpr std::size_t kDayLength = sizeof "2026-12-07" - 1;
constexpr const char* kOK = "OK";
constexpr long kPerMille = 1000;

// a / b in thousandths, rounded half up; b is not 0.
long Thousandths(long a, long b) { return (a * kPerMille * 2 + b) / (b * 2); }

// 833 as "0.833"; 1000 as "1.000".
std::string FractionText(long thousandths) {
    const std::string digits = std::to_string(thousandths % kPerMille);
    return std::to_string(thousandths / kPerMille) + "." + std::string(3 - digits.size(), '0') +
           digits;
}

// The same in per cent with one decimal: 833 as "83.3".
std::string PercentText(long thousandths) {
    return std::to_string(thousandths / 10) + "." + std::to_string(thousandths % 10);
}

std::string JsonTextOrNull(const std::string& text) {
    return text.empty() ? "null" : JsonString(text);
}

// A number as it stands in JSON; text that is none goes in quotes.
std::string JsonNumberOrText(const std::string& text) {
    if (text.empty()) return "null";
    const bool number = text.find_first_not_of("0123456789.") == std::string::npos &&
                        std::isdigit(static_cast<unsigned char>(text.front())) &&
                        std::isdigit(static_cast<unsigned char>(text.back()));
    return number ? text : JsonString(text);
}

}  // namespace

std::string UtcDay(std::chrono::system_clock::time_point time) {
    return UtcTime(time).substr(0, kDayLength);
}

std::vector<DayReport> Summarize(const std::vector<RecordRow>& rows) {
    std::map<std::pair<std::string, std::string>, DayReport> days;
    std::map<std::pair<std::string, std::string>, std::map<std::string, long>> steps;
    std::set<std::string> seenSerials;
    for (const RecordRow& row : rows) {
        const std::pair<std::string, std::string> key{row.time.substr(0, kDayLength), row.station};
        DayReport& day = days[key];
        day.day = key.first;
        day.station = key.second;
        ++day.boards;
        const bool ok = row.result == kOK;
        ++(ok ? day.ok : day.failed);
        if (!ok && !row.step.empty()) ++steps[key][row.step];
        if (row.serial.empty() || seenSerials.insert(row.serial).second) {
            ++day.firsts;
            if (ok) ++day.firstPassed;
        }
    }
    std::vector<DayReport> report;
    for (auto& [key, day] : days) {
        for (const auto& step : steps[key]) day.failedSteps.push_back(step);
        std::stable_sort(day.failedSteps.begin(), day.failedSteps.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        report.push_back(day);
    }
    return report;
}

std::string ReportLine(const DayReport& d) {
    std::string line =
        d.day + " " + d.station + ": " + std::to_string(d.boards) + " boards, " +
        std::to_string(d.ok) + " OK, " + std::to_string(d.failed) + " failed, first-pass yield " +
        (d.firsts > 0 ? PercentText(Thousandths(d.firstPassed, d.firsts)) + " %" : "-");
    for (std::size_t i = 0; i < d.failedSteps.size(); ++i) {
        line += (i == 0 ? ", failed steps: " : ", ") + d.failedSteps[i].first + " " +
                std::to_string(d.failedSteps[i].second);
    }
    return line;
}

std::string JsonReport(const DayReport& d) {
    std::string steps;
    for (const auto& [step, count] : d.failedSteps) {
        steps += (steps.empty() ? "" : ", ") + JsonString(step) + ": " + std::to_string(count);
    }
    return "{\"day\": " + JsonString(d.day) + ", \"station\": " + JsonString(d.station) +
           ", \"boards\": " + std::to_string(d.boards) + ", \"ok\": " + std::to_string(d.ok) +
           ", \"failed\": " + std::to_string(d.failed) + ", \"first_pass_yield\": " +
           (d.firsts > 0 ? FractionText(Thousandths(d.firstPassed, d.firsts)) : "null") +
           ", \"failed_steps\": {" + steps + "}}";
}

std::string HistoryLine(const RecordRow& r) {
    std::string line = CsvField(r.time);
    for (const std::string* field : {&r.port, &r.result, &r.step, &r.device, &r.serial, &r.file,
                                     &r.checksum, &r.seconds, &r.station, &r.version}) {
        line += "," + CsvField(*field);
    }
    return line;
}

std::string JsonHistory(const RecordRow& r) {
    return "{\"time\": " + JsonString(r.time) + ", \"port\": " + JsonString(r.port) +
           ", \"result\": " + JsonString(r.result) + ", \"step\": " + JsonTextOrNull(r.step) +
           ", \"device\": " + JsonTextOrNull(r.device) +
           ", \"serial\": " + JsonNumberOrText(r.serial) + ", \"file\": " + JsonString(r.file) +
           ", \"checksum\": " + JsonTextOrNull(r.checksum) +
           ", \"seconds\": " + JsonNumberOrText(r.seconds) +
           ", \"station\": " + JsonString(r.station) + ", \"version\": " + JsonString(r.version) +
           "}";
}

std::string LineTodayText(const std::string& database, const std::optional<LineTotals>& totals,
                          const std::string& problem) {
    if (!totals) return problem;  // which names the database already
    return "Database " + database + ", the line today: " + std::to_string(totals->boards) +
           " boards, " + std::to_string(totals->ok) + " OK, " + std::to_string(totals->failed) +
           " failed";
}

}  // namespace tovrel
