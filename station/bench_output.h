#pragma once

#include <string>
#include <vector>

#include "station/board_result.h"
#include "workflow/board_step.h"

namespace tovrel {

// Where a bench port is between boards.
enum class PortPhase { Waiting, Programming, Removing, Ended };

// What a bench run tells whoever watches it: the console, a JSON reader, the bench window.
// The ports call it from their own threads; each call is whole, so an output that writes a
// line per call never mixes the lines of two ports.
class BenchOutput {
  public:
    virtual ~BenchOutput() = default;

    // One whole line of a port's status log, without its line end.
    virtual void Line(const std::string& port, const std::string& line) = 0;
    // A message box, which nobody waits for.
    virtual void Message(const std::string& port, const std::string& text, const std::string& title,
                         const std::string& details) = 0;
    // A note for a person watching (no file dialog here, the serial-safe answer).
    virtual void Note(const std::string& port, const std::string& text) = 0;
    // The port's running operation in per cent, when it changes; -1 when none runs.
    virtual void Progress(const std::string& port, int percent) {
        (void)port;
        (void)percent;
    }
    virtual void Step(const std::string& port, BoardStep step) {
        (void)port;
        (void)step;
    }
    virtual void Phase(const std::string& port, PortPhase phase) {
        (void)port;
        (void)phase;
    }
    // The identified device's text; empty when the identification failed.
    virtual void Device(const std::string& port, const std::string& device) {
        (void)port;
        (void)device;
    }
    // A board has ended and its line is in the production log.
    virtual void BoardEnded(const BoardResult& result) { (void)result; }
    // A board's summary is due: at once in a loop, at the end of the run otherwise.
    virtual void Summary(const BoardResult& result) = 0;
    // The end of a loop.
    virtual void Total(const BenchTotals& totals) = 0;
};

// A message's text and details as lines: CR LF, a lone CR and a lone LF each end one.
std::vector<std::string> MessageLines(const std::string& text, const std::string& details);

}  // namespace tovrel
