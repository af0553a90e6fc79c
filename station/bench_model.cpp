#include "station/bench_model.h"

namespace tovrel {
namespace {

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
        Changed();
        if (onStop) onStop();
    } else if (onStart) {
        onStart();
    }
}

void BenchModel::RunStarted() {
    m_running = true;
    m_stopping = false;
    Changed();
}

void BenchModel::RunEnded() {
    m_running = false;
    m_stopping = false;
    Changed();
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

void BenchModel::Note(const std::string& port, const std::string& text) { Line(port, text); }

void BenchModel::Progress(const std::string& port, int percent) {
    if (BenchTile* tile = Tile(port)) {
        tile->progressVisible = percent >= 0;
        tile->progress = std::max(percent, 0);
        Changed();
    }
}

void BenchModel::Step(const std::string& port, BoardStep step) {
    if (BenchTile* tile = Tile(port)) {
        tile->doing = BoardStepName(step);
        Changed();
    }
}

void BenchModel::Phase(const std::string& port, PortPhase phase) {
    if (BenchTile* tile = Tile(port)) {
        tile->doing = PhaseText(phase);
        // A new board is not the last one: its device is not known yet.
        if (phase == PortPhase::Programming) tile->device.clear();
        Changed();
    }
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
    tile->last = result.outcome;
    tile->lastText = OutcomeName(result.outcome);
    if (result.step != BoardStep::None) {
        tile->lastText += std::string(" (") + BoardStepName(result.step) + ")";
    }
    if (result.outcome == BoardOutcome::OK) {
        ++tile->ok;
        tile->serial = result.serial ? std::to_string(*result.serial) : "";
    } else {
        ++tile->failed;
    }
    tile->progressVisible = false;
    Changed();
}

void BenchModel::Summary(const BoardResult& result) {
    m_log.push_back(SummaryLine(result));
    Changed();
}

void BenchModel::Total(const BenchTotals& totals) {
    m_log.push_back(TotalLine(totals));
    Changed();
}

}  // namespace tovrel
