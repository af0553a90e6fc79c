#include "station/bench_model.h"

#include <algorithm>

namespace tovrel {
namespace {

constexpr int kFullBar = 100;  // per cent

const char* PhaseText(PortPhase phase) {
    switch (phase) {
        case PortPhase::Waiting:
            return "waiting for a board";
        case PortPhase::Programming:
            return "starting";
        case PortPhase::Removing:
            return "take the board off";
        case PortPhase::Ended:
            return "ended";
    }
    return "";
}

}  // namespace

BenchModel::BenchModel(const std::vector<std::string>& ports) {
    for (const std::string& port : ports) {
        BenchTile tile;
        tile.port = port;
        m_tiles.push_back(tile);
    }
}

std::string BenchModel::StartStopCaption() const {
    return m_running && !m_stopping ? "&Stop" : "&Start";
}

void BenchModel::StartStopButton_Click() {
    if (m_stopping) return;
    if (m_running) {
        m_stopping = true;
        UpdateRunText();
        Changed();
        if (onStop) onStop();
    } else if (onStart) {
        onStart();
    }
}

void BenchModel::RunStarted() {
    m_running = true;
    m_stopping = false;
    m_boardsInProgress = 0;
    m_runTotals = {};
    m_totalTold = false;
    UpdateRunText();
    Changed();
}

void BenchModel::RunEnded() {
    // A run without a loop tells no totals of its own; the window gives them all the same.
    if (!m_totalTold && m_runTotals.boards > 0) m_log.push_back(TotalLine(m_runTotals));
    m_running = false;
    UpdateRunText();
    m_stopping = false;
    Changed();
}

void BenchModel::UpdateRunText() {
    if (m_running && m_stopping) {
        m_runText = "finishing " + std::to_string(m_boardsInProgress) +
                    (m_boardsInProgress == 1 ? " board" : " boards");
    } else if (m_running) {
        m_runText = "Running";
    } else if (m_stopping) {
        m_runText = "Stopped";
    } else {
        m_runText = "Done: " + std::to_string(m_runTotals.ok) + " OK, " +
                    std::to_string(m_runTotals.failed) + " failed";
        if (m_runTotals.interrupted > 0) {
            m_runText += ", " + std::to_string(m_runTotals.interrupted) + " interrupted";
        }
    }
}

BenchTile* BenchModel::Tile(const std::string& port) {
    for (BenchTile& tile : m_tiles) {
        if (tile.port == port) return &tile;
    }
    return nullptr;
}

void BenchModel::Changed() {
    if (onChanged) onChanged();
}

void BenchModel::Line(const std::string& port, const std::string& line) {
    m_log.push_back(port + ": " + line);
    Changed();
}

void BenchModel::Message(const std::string& port, const std::string& text, const std::string& title,
                         const std::string& details) {
    for (const std::string& line : MessageLines(title + ": " + text, details)) {
        m_log.push_back(port + ": " + line);
    }
    Changed();
}

// A note is something answered on the user's behalf; every board of the run gets the same
// answer, so it stays on the tile.
void BenchModel::Note(const std::string& port, const std::string& text) {
    if (BenchTile* tile = Tile(port)) tile->warning = text;
    Line(port, text);
}

// Between two operations the bar keeps what the last one reached.
void BenchModel::Progress(const std::string& port, int percent) {
    BenchTile* tile = Tile(port);
    if (tile == nullptr || percent < 0) return;
    tile->progress = percent;
    Changed();
}

void BenchModel::Step(const std::string& port, BoardStep step) {
    if (BenchTile* tile = Tile(port)) {
        tile->doing = BoardStepName(step);
        Changed();
    }
}

void BenchModel::Phase(const std::string& port, PortPhase phase) {
    if (BenchTile* tile = Tile(port)) {
        if (phase == PortPhase::Programming) NewBoard(*tile);
        tile->doing = PhaseText(phase);
        Changed();
    }
}

// Nothing of the board before stays on the tile but its result, as the last one.
void BenchModel::NewBoard(BenchTile& tile) {
    if (!tile.resultText.empty()) {
        tile.lastText = "last: " + tile.resultText + (tile.serial.empty() ? "" : " " + tile.serial);
    }
    tile.result.reset();
    tile.resultText.clear();
    tile.serial.clear();
    tile.device.clear();
    tile.progress = 0;
    ++m_boardsInProgress;
}

void BenchModel::Device(const std::string& port, const std::string& device) {
    if (BenchTile* tile = Tile(port)) {
        tile->device = device;
        Changed();
    }
}

void BenchModel::BoardEnded(const BoardResult& result) {
    BenchTile* tile = Tile(result.port);
    if (tile == nullptr) return;
    tile->result = result.outcome;
    tile->resultText = OutcomeName(result.outcome);
    if (result.step != BoardStep::None) {
        tile->resultText += std::string(" (") + BoardStepName(result.step) + ")";
    }
    ++m_runTotals.boards;
    if (result.outcome == BoardOutcome::OK) {
        ++tile->ok;
        ++m_runTotals.ok;
        tile->serial = result.serial ? std::to_string(*result.serial) : "";
        tile->progress = kFullBar;  // a finished board's bar stays full
    } else {
        ++tile->failed;
        ++(result.outcome == BoardOutcome::Failed ? m_runTotals.failed : m_runTotals.interrupted);
    }
    m_boardsInProgress = std::max(m_boardsInProgress - 1, 0);
    UpdateRunText();
    Changed();
}

void BenchModel::Summary(const BoardResult& result) {
    m_log.push_back(SummaryLine(result));
    Changed();
}

void BenchModel::Total(const BenchTotals& totals) {
    m_totalTold = true;
    m_log.push_back(TotalLine(totals));
    Changed();
}

}  // namespace tovrel
