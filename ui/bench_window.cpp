#include "ui/bench_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>

#include "station/console_output.h"
#include "ui/look.h"

namespace tovrel {
namespace {

constexpr int kTilesPerRow = 4;
constexpr int kTileWidth = 230;
constexpr int kLogLines = 12;
constexpr int kWarningLines = 3;
constexpr int kFinishLookMs = 100;
constexpr double kTitlePoints = 18, kPortPoints = 12, kDevicePoints = 9.75;
const QColor kGoodGreen{0x00, 0x80, 0x00};
const QColor kWarningBrown{0xA0, 0x50, 0x00};

// The run's events reach the model on the window's thread, in the order they were told.
class QueuedOutput : public BenchOutput {
  public:
    QueuedOutput(QObject& context, BenchModel& model) : m_context(context), m_model(model) {}

    void Line(const std::string& p, const std::string& l) override {
        Post([=, this] { m_model.Line(p, l); });
    }
    void Message(const std::string& p, const std::string& t, const std::string& ti,
                 const std::string& d) override {
        Post([=, this] { m_model.Message(p, t, ti, d); });
    }
    void Note(const std::string& p, const std::string& t) override {
        Post([=, this] { m_model.Note(p, t); });
    }
    void Progress(const std::string& p, int v) override {
        Post([=, this] { m_model.Progress(p, v); });
    }
    void Step(const std::string& p, BoardStep s) override {
        Post([=, this] { m_model.Step(p, s); });
    }
    void Phase(const std::string& p, PortPhase s) override {
        Post([=, this] { m_model.Phase(p, s); });
    }
    void Device(const std::string& p, const std::string& d) override {
        Post([=, this] { m_model.Device(p, d); });
    }
    void BoardEnded(const BoardResult& r) override {
        Post([=, this] { m_model.BoardEnded(r); });
    }
    void Summary(const BoardResult& r) override {
        Post([=, this] { m_model.Summary(r); });
    }
    void Total(const BenchTotals& t) override {
        Post([=, this] { m_model.Total(t); });
    }

  private:
    template <typename F>
    void Post(F call) {
        QMetaObject::invokeMethod(&m_context, std::move(call), Qt::QueuedConnection);
    }
    QObject& m_context;
    BenchModel& m_model;
};

QLabel* Label(const QString& text, const QFont& font, const QColor& colour,
              const QColor& background = QColor()) {
    auto* label = new QLabel(text);
    label->setFont(font);
    Colour(*label, colour, background);
    return label;
}

}  // namespace

BenchWindow::BenchWindow(BenchModel& model, QWidget* parent) : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("BenchWindow"));
    setWindowTitle(QStringLiteral("Tovrel - Production bench"));
    setFont(FormFont());
    auto* layout = new QVBoxLayout(this);
    auto* header = new QHBoxLayout;
    auto* title =
        Label(QStringLiteral("Pellicon\u00AE Tovrel"), ArialFont(kTitlePoints, true), kTitleBlue);
    header->addWidget(title);
    header->addStretch();
    StartStopButton = new QPushButton;
    StartStopButton->setObjectName(QStringLiteral("StartStopButton"));
    StartStopButton->setFont(ButtonFont());
    StartStopButton->setAutoDefault(true);
    RunLbl = Label({}, ArialFont(kPortPoints, true), kTitleBlue);
    RunLbl->setObjectName(QStringLiteral("RunLbl"));
    header->addWidget(RunLbl);
    header->addWidget(StartStopButton);
    layout->addLayout(header);

    auto* grid = new QGridLayout;
    for (std::size_t i = 0; i < m_model.Tiles().size(); ++i) {
        grid->addWidget(MakeTile(m_model.Tiles()[i]), static_cast<int>(i) / kTilesPerRow,
                        static_cast<int>(i) % kTilesPerRow);
    }
    layout->addLayout(grid);

    Log = new QPlainTextEdit;
    Log->setObjectName(QStringLiteral("Log"));
    Log->setFont(StatusFont());
    Log->setReadOnly(true);
    Log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Log->setMinimumHeight(Log->fontMetrics().lineSpacing() * kLogLines);
    layout->addWidget(Log, 1);

    connect(StartStopButton, &QPushButton::clicked, this,
            [this] { m_model.StartStopButton_Click(); });
    m_model.onChanged = [this] { Render(); };
    Render();
}

BenchWindow::~BenchWindow() { m_model.onChanged = nullptr; }

QWidget* BenchWindow::MakeTile(const BenchTile& tile) {
    auto* box = new QGroupBox;
    box->setObjectName(ToQString("Tile " + tile.port));
    box->setMinimumWidth(kTileWidth);
    auto* column = new QVBoxLayout(box);
    TileWidgets w{};
    w.port = Label(ToQString(tile.port), ArialFont(kPortPoints, true), kTitleBlue);
    w.device = Label({}, ArialFont(kDevicePoints, false), kDeviceRed, kLightGrey);
    w.device->setMinimumHeight(w.device->fontMetrics().height() + 4);
    w.doing = new QLabel;
    w.progress = new QProgressBar;
    w.progress->setTextVisible(false);
    w.result = Label({}, ArialFont(kPortPoints, true), kGoodGreen);
    w.last = new QLabel;
    w.last->setObjectName(QStringLiteral("LastLbl"));
    auto* results = new QHBoxLayout;
    results->addWidget(w.result);
    results->addStretch();
    results->addWidget(w.last);
    w.serial = new QLabel;
    w.warning = Label({}, FormFont(), kWarningBrown);
    w.warning->setObjectName(QStringLiteral("WarningLbl"));
    w.warning->setWordWrap(true);
    // Room for a note of three lines from the start: the window keeps the size it opened at.
    w.warning->setMinimumHeight(w.warning->fontMetrics().lineSpacing() * kWarningLines);
    QSizePolicy keepPlace = w.warning->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    w.warning->setSizePolicy(keepPlace);
    w.counts = new QLabel;
    for (QWidget* widget : std::initializer_list<QWidget*>{w.port, w.device, w.doing, w.progress}) {
        column->addWidget(widget);
    }
    column->addLayout(results);
    for (QWidget* widget : std::initializer_list<QWidget*>{w.serial, w.warning, w.counts}) {
        column->addWidget(widget);
    }
    m_tiles.push_back(w);
    return box;
}

void BenchWindow::Render() {
    StartStopButton->setText(ToQString(m_model.StartStopCaption()));
    StartStopButton->setEnabled(m_model.StartStopEnabled());
    RunLbl->setText(ToQString(m_model.RunText()));
    for (std::size_t i = 0; i < m_tiles.size(); ++i) {
        const BenchTile& tile = m_model.Tiles()[i];
        TileWidgets& w = m_tiles[i];
        w.device->setText(ToQString(tile.device));
        w.doing->setText(ToQString(tile.doing));
        w.progress->setValue(tile.progress);
        w.result->setText(ToQString(tile.resultText));
        Colour(*w.result, tile.result == BoardOutcome::OK ? kGoodGreen : kDeviceRed);
        w.last->setText(ToQString(tile.lastText));
        w.serial->setText(tile.serial.empty() ? QString()
                                              : QStringLiteral("Serial ") + ToQString(tile.serial));
        w.warning->setText(ToQString(tile.warning));
        w.warning->setVisible(!tile.warning.empty());
        w.counts->setText(QStringLiteral("OK %1 / failed %2").arg(tile.ok).arg(tile.failed));
    }
    const std::vector<std::string>& log = m_model.Log();
    if (log.size() > m_logShown) {
        for (; m_logShown < log.size(); ++m_logShown)
            Log->appendPlainText(ToQString(log[m_logShown]));
        Log->verticalScrollBar()->setValue(Log->verticalScrollBar()->maximum());
    }
}

void BenchWindow::closeEvent(QCloseEvent* event) {
    if (closeAllowed && !closeAllowed()) {
        event->ignore();
        return;
    }
    event->accept();
}

// The database in use and the line's boards of today, kept fresh by the run's timer.
QLabel* LineLabel(BenchWindow& window, LineWatch& line) {
    auto* label = new QLabel(ToQString(line.Text()));
    label->setObjectName(QStringLiteral("Database"));
    auto* layout = static_cast<QVBoxLayout*>(window.layout());
    layout->insertWidget(1, label);
    return label;
}

int RunBenchWindow(BenchPlan plan, BenchServices services, LineWatch* line) {
    QApplication::setWindowIcon(ProgramIcon());
    std::vector<std::string> names;
    for (const BenchPort& port : plan.ports) names.push_back(port.name);
    BenchModel model(names);
    BenchWindow window(model);
    QueuedOutput queued(window, model);
    OutputPair both(*services.output, queued);
    services.output = &both;
    // The watch hears each board end, to count it at once.
    std::optional<OutputPair> withLine;
    QLabel* lineLabel = nullptr;
    if (line != nullptr) {
        services.output = &withLine.emplace(both, *line);
        lineLabel = LineLabel(window, *line);
    }
    const std::function<int()> signalCount = services.signalCount;
    BenchEngine engine(std::move(plan), std::move(services));

    int status = 1;
    bool closing = false;
    model.onStart = [&engine, &model] {
        engine.Start();
        model.RunStarted();
    };
    model.onStop = [&engine] { engine.RequestStop(); };
    window.closeAllowed = [&] {
        if (!engine.Running()) return true;
        closing = true;
        model.StartStopButton_Click();
        return false;
    };
    QTimer finish;
    QObject::connect(&finish, &QTimer::timeout, &window, [&] {
        if (lineLabel != nullptr) lineLabel->setText(ToQString(line->Text()));
        if (!engine.Running() || !engine.Finished()) return;
        status = engine.Wait();
        // After what the run told at its end (its summaries, its totals), which is queued.
        QMetaObject::invokeMethod(
            &window,
            [&] {
                model.RunEnded();
                // A signal ends the program with its run; a closed window once its boards are
                // done.
                if (closing || signalCount() > 0) QApplication::quit();
            },
            Qt::QueuedConnection);
    });
    finish.start(kFinishLookMs);
    window.show();
    model.StartStopButton_Click();
    QApplication::exec();
    if (engine.Running()) {
        engine.RequestStop();
        status = engine.Wait();
    }
    return status;
}

}  // namespace tovrel
