#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrel {

// One step of a modem-line sequence: set DTR or RTS (true = asserted), or wait.
struct LineStep {
    enum class Kind { Dtr, Rts, Wait };
    Kind kind = Kind::Wait;
    bool asserted = false;
    double seconds = 0;

    bool operator==(const LineStep&) const = default;
};

using LineSequence = std::vector<LineStep>;

// The longest single wait a sequence may ask for.
inline constexpr double kLongestLineWaitSeconds = 60;

// Reads a sequence such as "R1|D1|W0.05|D0|W0.1": steps separated by "|", each D0/D1 (DTR),
// R0/R1 (RTS) or W followed by seconds (0 to 60, decimal); letters in either case, blanks
// around a step ignored. The empty text is the empty sequence (the lines are left alone).
// Empty when a step does not parse; badStep then holds that step as written.
std::optional<LineSequence> ParseLineSequence(std::string_view text, std::string& badStep);

// The sequence written back in the form ParseLineSequence reads ("R1|D1|W0.05").
std::string LineSequenceText(const LineSequence& sequence);

}  // namespace tovrel
