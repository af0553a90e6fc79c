#include "link/line_sequence.h"

#include <cctype>
#include <charconv>

#include "core/numbers.h"

namespace tovrel {
namespace {

constexpr char kStepSeparator = '|';

std::optional<LineStep> ParseStep(std::string_view step) {
    if (step.size() < 2) return std::nullopt;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(step[0])));
    const std::string_view rest = step.substr(1);
    if (letter == 'D' || letter == 'R') {
        if (rest != "0" && rest != "1") return std::nullopt;
        return LineStep{letter == 'D' ? LineStep::Kind::Dtr : LineStep::Kind::Rts, rest == "1", 0};
    }
    if (letter != 'W') return std::nullopt;
    // Plain decimal seconds only: no sign, no exponent, nothing after the digits.
    for (char c : rest) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.')) return std::nullopt;
    }
    const std::optional<double> seconds = WholeDecimalNumber(rest);
    if (!seconds || *seconds > kLongestLineWaitSeconds) return std::nullopt;
    return LineStep{LineStep::Kind::Wait, false, *seconds};
}

}  // namespace

std::optional<LineSequence> ParseLineSequence(std::string_view text, std::string& badStep) {
    LineSequence sequence;
    if (TrimBlanks(text).empty()) return sequence;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(kStepSeparator, start);
        const std::string_view raw = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        const std::optional<LineStep> step = ParseStep(TrimBlanks(raw));
        if (!step) {
            badStep = std::string(TrimBlanks(raw));
            return std::nullopt;
        }
        sequence.push_back(*step);
        if (end == std::string_view::npos) return sequence;
        start = end + 1;
    }
}

std::optional<LineSequence> StoredLineSequence(const SettingsStore& store, const char* key,
                                               std::string& badStep) {
    return ParseLineSequence(store.Read(kSettingsApplication, kLinesSection, key, ""), badStep);
}

std::optional<LineFailure> RunLineSequence(SerialPort& port, const LineSequence& sequence,
                                           const std::function<bool()>& stopped) {
    for (const LineStep& step : sequence) {
        std::error_code error;
        switch (step.kind) {
            case LineStep::Kind::Dtr:
                error = port.SetDtr(step.asserted);
                break;
            case LineStep::Kind::Rts:
                error = port.SetRts(step.asserted);
                break;
            case LineStep::Kind::Wait:
                port.Sleep(step.seconds, stopped);
                break;
        }
        if (error) return LineFailure{step.kind, error};
    }
    return std::nullopt;
}

std::string LineSequenceText(const LineSequence& sequence) {
    std::string text;
    for (const LineStep& step : sequence) {
        if (!text.empty()) text += kStepSeparator;
        if (step.kind == LineStep::Kind::Wait) {
            char seconds[32];
            const auto written = std::to_chars(seconds, seconds + sizeof seconds, step.seconds);
            text += 'W';
            text.append(seconds, written.ptr);
        } else {
            text += step.kind == LineStep::Kind::Dtr ? 'D' : 'R';
            text += step.asserted ? '1' : '0';
        }
    }
    return text;
}

}  // namespace tovrel
