#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/settings.h"
#include "link/serial_port.h"

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

// The sequences of a run: before every reset message (to bring the chip into its boot loader),
// and at the end of a download or a run command (to let it go). Empty ones leave the lines
// alone.
struct ModemLines {
    LineSequence before;
    LineSequence after;
};

// Where the settings file keeps them: the program reads them in every run and never writes
// them.
inline constexpr const char* kLinesSection = "Lines";
inline constexpr const char* kBeforeLinesKey = "Before";
inline constexpr const char* kAfterLinesKey = "After";

// The sequence stored under key in the [Lines] section, empty when there is none. Empty too,
// with badStep set, when it does not parse.
std::optional<LineSequence> StoredLineSequence(const SettingsStore& store, const char* key,
                                               std::string& badStep);

// The line a step could not set and the system's reason.
struct LineFailure {
    LineStep::Kind line = LineStep::Kind::Dtr;
    std::error_code error;
};

// Runs the steps in order on the open port, the waits through port.Sleep, each cut short once
// stopped answers true (the line steps still run, so lines set are let go). Stops at the first
// line that cannot be set and answers it; nothing when every step ran.
std::optional<LineFailure> RunLineSequence(SerialPort& port, const LineSequence& sequence,
                                           const std::function<bool()>& stopped = {});

// The sequence written back in the form ParseLineSequence reads ("R1|D1|W0.05").
std::string LineSequenceText(const LineSequence& sequence);

}  // namespace tovrel
