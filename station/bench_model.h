#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "station/bench_output.h"

namespace tovrel {

// One port's tile in the bench window. A new board starts it clean but for the board before
// it ("last: OK 1041") and the counts.
struct BenchTile {
    std::string port;
    std::string device;                  // the identified device's text
    std::string doing;                   // the step under way, or where the port is between boards
    int progress = 0;                    // per cent; it stays where the last operation left it
    std::optional<BoardOutcome> result;  // this board's, once it has ended
    std::string resultText;              // "OK", "FAILED (code)"
    std::string serial;                  // this board's number, once it kept one
    std::string lastText;                // the board before: "last: OK 1041"
    std::string warning;                 // what was last answered on the user's behalf
    int ok = 0, failed = 0;
};

// The bench window without its widgets: a tile per port, the combined log, and the Start/Stop
// button of the run. It hears the run as a BenchOutput, on the window's thread; the Qt view
// redraws from it after every change (onChanged) and hands it the button's clicks.
class BenchModel : public BenchOutput {
  public:
    explicit BenchModel(const std::vector<std::string>& ports);

    const std::vector<BenchTile>& Tiles() const { return m_tiles; }
    // The combined log, one line per port's line, each with its port in front.
    const std::vector<std::string>& Log() const { return m_log; }

    // The button: "Start" while no run goes, "Stop" while one does, and off while a stopped
    // run lets its boards finish.
    std::string StartStopCaption() const;
    bool StartStopEnabled() const { return !m_stopping; }
    void StartStopButton_Click();
    bool Running() const { return m_running; }
    // The run has begun, or ended (all its ports done, and all they told heard).
    void RunStarted();
    void RunEnded();
    // Where the run is, beside the button: "Running", "finishing 2 boards" after a stop, then
    // "Stopped"; "Done: 3 OK, 1 failed" for a run that came to its end.
    const std::string& RunText() const { return m_runText; }

    // What the button asks the run to do, and who redraws.
    std::function<void()> onStart;
    std::function<void()> onStop;
    std::function<void()> onChanged;

    void Line(const std::string& port, const std::string& line) override;
    void Message(const std::string& port, const std::string& text, const std::string& title,
                 const std::string& details) override;
    void Note(const std::string& port, const std::string& text) override;
    void Progress(const std::string& port, int percent) override;
    void Step(const std::string& port, BoardStep step) override;
    void Phase(const std::string& port, PortPhase phase) override;
    void Device(const std::string& port, const std::string& device) override;
    void BoardEnded(const BoardResult& result) override;
    void Summary(const BoardResult& result) override;
    void Total(const BenchTotals& totals) override;

  private:
    BenchTile* Tile(const std::string& port);
    void Changed();
    void NewBoard(BenchTile& tile);
    void UpdateRunText();

    std::vector<BenchTile> m_tiles;
    std::vector<std::string> m_log;
    bool m_running = false;
    bool m_stopping = false;
    int m_boardsInProgress = 0;
    BenchTotals m_runTotals;   // of the run under way, or the last one
    bool m_totalTold = false;  // the run told its own totals (a loop does)
    std::string m_runText;
};

}  // namespace tovrel
