#include "station/board_result.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/bytes.h"

namespace tovrel {
namespace {

constexpr const char* kUnknown = "-";
constexpr const char* kJsonNull = "null";
constexpr char kCsvQuote = '"';
constexpr int kTenthsPerSecond = 10;
constexpr unsigned char kFirstPrintable = 0x20;
constexpr const char* kReplacementCharacter = "\xEF\xBF\xBD";

std::string OrUnknown(const std::string& text) { return text.empty() ? kUnknown : text; }

// The length of the UTF-8 sequence at text[i]; 0 when it is none.
std::size_t Utf8Length(const std::string& text, std::size_t i) {
    const auto byte = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        least = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    unsigned code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond U+10FFFF are no UTF-8.
    if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
    return length;
}

std::string JsonNumberOr(const std::optional<std::uint32_t>& number) {
    return number ? std::to_string(*number) : kJsonNull;
}

std::string JsonTextOr(const std::string& text) {
    return text.empty() ? kJsonNull : JsonString(text);
}

std::string JsonPort(const std::string& port) { return "{\"port\": " + JsonString(port); }

}  // namespace

// A field quoted when it holds a separator, a quote or a line break, its quotes doubled.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string field(1, kCsvQuote);
    for (char c : text) {
        if (c == kCsvQuote) field += kCsvQuote;
        field += c;
    }
    return field + kCsvQuote;
}

// By the calendar of the standard library: no gmtime_r, which not every system has.
std::string UtcTime(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const sys_seconds seconds = floor<std::chrono::seconds>(time);
    const sys_days day = floor<days>(seconds);
    const year_month_day date(day);
    const hh_mm_ss clock(seconds - day);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

const char* OutcomeName(BoardOutcome outcome) {
    switch (outcome) {
        case BoardOutcome::OK:
            return "OK";
        case BoardOutcome::Failed:
            return "FAILED";
        case BoardOutcome::Interrupted:
            return "INTERRUPTED";
    }
    return "";
}

std::string Tenths(double seconds) {
    const long long tenths = std::llround(std::max(seconds, 0.0) * kTenthsPerSecond);
    return std::to_string(tenths / kTenthsPerSecond) + "." +
           std::to_string(tenths % kTenthsPerSecond);
}

std::string SummaryLine(const BoardResult& r) {
    std::string line = r.port + ": RESULT " + OutcomeName(r.outcome);
    if (r.step != BoardStep::None) line += std::string(" (") + BoardStepName(r.step) + ")";
    return line + ", device " + OrUnknown(r.device) + ", serial " +
           (r.serial ? std::to_string(*r.serial) : kUnknown) + ", " + Tenths(r.seconds) + " s";
}

std::string TotalLine(const BenchTotals& t) {
    std::string line = "TOTAL: " + std::to_string(t.boards) + " boards, " + std::to_string(t.ok) +
                       " OK, " + std::to_string(t.failed) + " FAILED";
    if (t.interrupted > 0) line += ", " + std::to_string(t.interrupted) + " INTERRUPTED";
    return line;
}

std::string CsvLine(const BoardResult& r) {
    const std::string fields[] = {UtcTime(r.ended),
                                  r.port,
                                  OutcomeName(r.outcome),
                                  BoardStepName(r.step),
                                  r.device,
                                  r.serial ? std::to_string(*r.serial) : "",
                                  r.file,
                                  r.checksum ? HexText(*r.checksum) : "",
                                  Tenths(r.seconds)};
    std::string line = CsvField(fields[0]);
    for (std::size_t i = 1; i < std::size(fields); ++i) line += ',' + CsvField(fields[i]);
    return line;
}

std::string JsonString(const std::string& text) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string json = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < kFirstPrintable || c == 0x7F) {
            json += "\\u00";
            json += kHexDigits[c >> 4];
            json += kHexDigits[c & 0xF];
        } else if (c >= 0x80) {
            const std::size_t length = Utf8Length(text, i);
            json += length == 0 ? kReplacementCharacter : text.substr(i, length);
            i += std::max<std::size_t>(length, 1);
            continue;
        } else {
            json += static_cast<char>(c);
        }
        ++i;
    }
    return json + "\"";
}

std::string JsonStatusLine(const std::string& port, const std::string& line) {
    return JsonPort(port) + ", \"line\": " + JsonString(line) + "}";
}

std::string JsonProgress(const std::string& port, int percent) {
    return JsonPort(port) + ", \"progress\": " + std::to_string(percent) + "}";
}

std::string JsonMessage(const std::string& port, const std::string& text,
                        const std::string& title) {
    return JsonPort(port) + ", \"message\": " + JsonString(text) +
           ", \"title\": " + JsonString(title) + "}";
}

std::string JsonResult(const BoardResult& r) {
    return JsonPort(r.port) + ", \"result\": " + JsonString(OutcomeName(r.outcome)) +
           ", \"step\": " + JsonTextOr(BoardStepName(r.step)) +
           ", \"device\": " + JsonTextOr(r.device) + ", \"serial\": " + JsonNumberOr(r.serial) +
           ", \"seconds\": " + Tenths(r.seconds) + "}";
}

std::string JsonTotal(const BenchTotals& t) {
    return "{\"total\": " + std::to_string(t.boards) + ", \"ok\": " + std::to_string(t.ok) +
           ", \"failed\": " + std::to_string(t.failed) +
           ", \"interrupted\": " + std::to_string(t.interrupted) + "}";
}

}  // namespace tovrel
