#pragma once

#include <QWidget>
#include <cstddef>
#include <vector>

#include "station/bench_engine.h"
#include "station/bench_model.h"
#include "station/line_watch.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace tovrel {

// The bench window: a tile per port (port, device, what it does, progress, the board's result
// in green or red with the board before it beside, the serial number, what was answered on
// the user's behalf, the boards OK and failed), the Start/Stop button with where the run is,
// and the combined log, in the main window's faces and colours. It only mirrors the bench
// model.
class BenchWindow : public QWidget {
  public:
    explicit BenchWindow(BenchModel& model, QWidget* parent = nullptr);
    ~BenchWindow() override;

    QPushButton* StartStopButton;
    QLabel* RunLbl;  // where the run is: running, finishing, stopped, done
    QPlainTextEdit* Log;

    // Closing asks the run to take no new boards and closes once its boards are done.
    std::function<bool()> closeAllowed;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    struct TileWidgets {
        QLabel* port;
        QLabel* device;
        QLabel* doing;
        QProgressBar* progress;
        QLabel* result;
        QLabel* last;
        QLabel* serial;
        QLabel* warning;
        QLabel* counts;
    };
    QWidget* MakeTile(const BenchTile& tile);
    void Render();

    BenchModel& m_model;
    std::vector<TileWidgets> m_tiles;
    std::size_t m_logShown = 0;
};

// Runs the bench in its window: the run starts at once, Start and Stop run and end it again,
// and the window stays until it is closed (or a signal ended the run). The console output in
// services keeps going as well. With a database, line shows it and the line's boards of
// today below the title. Returns the last run's status.
int RunBenchWindow(BenchPlan plan, BenchServices services, LineWatch* line = nullptr);

}  // namespace tovrel
