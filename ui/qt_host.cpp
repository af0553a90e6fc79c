#include "ui/qt_host.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSpacerItem>
#include <QStringList>
#include <QTimer>
#include <cmath>
#include <iostream>

#include "ui/dialog_wait.h"
#include "ui/look.h"
#include "ui/serial_safe_warning.h"

namespace tovrel {

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;
constexpr int kStopWatchMs = 100;

// Messages break their lines with CR LF, a lone CR or CR CR LF (a blank line); Qt's label
// breaks only at LF.
QString DialogText(const std::string& text) {
    bool lastWasCarriageReturn = false;
    return ToQString(UnixLineBreaks(text, lastWasCarriageReturn));
}

// A box is as wide as its text, which may leave its title cut ("Warning Hex File" above
// "Hex File too big"): a spacer row makes room for the title and the title bar's buttons.
void WideEnoughForTitle(QMessageBox& box) {
    constexpr int kTitleBarButtonsWidth = 120;
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const int wanted =
        QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarButtonsWidth;
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) return;
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

void ShowAbove(QWidget& dialog) {
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

void AddCaseVariants(QStringList& patterns, const QString& pattern) {
    for (const QString& variant : {pattern.toLower(), pattern.toUpper(), pattern}) {
        if (!variant.isEmpty() && !patterns.contains(variant)) patterns.append(variant);
    }
}

// One description and its pattern part ("*.hex;*.ihx") as one Qt filter.
QString OneFilter(QString description, const QString& patternPart) {
    static const QRegularExpression kPatternList(QStringLiteral("\\s*\\(([^)]*)\\)\\s*$"));
    QStringList patterns;
    const QRegularExpressionMatch match = kPatternList.match(description);
    if (match.hasMatch()) {
        description.truncate(match.capturedStart());
        for (const QString& p : match.captured(1).split(QRegularExpression(QStringLiteral("[; ]+")),
                                                        Qt::SkipEmptyParts)) {
            AddCaseVariants(patterns, p);
        }
    }
    for (const QString& p : patternPart.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        AddCaseVariants(patterns, p.trimmed());
    }
    if (patterns.isEmpty()) patterns.append(QStringLiteral("*"));
    return description.trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
           QLatin1Char(')');
}

}  // namespace

QString QtNameFilter(const std::string& filter) {
    const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        filters.append(OneFilter(parts[i], i + 1 < parts.size() ? parts[i + 1] : QString()));
    }
    // A file named otherwise ("APP.IHX", "program") can still be chosen.
    filters.append(QStringLiteral("All files (*)"));
    return filters.join(QStringLiteral(";;"));
}

QtHost::QtHost(std::vector<std::string> words) : m_words(std::move(words)) {}

QtHost::QtHost(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) m_words.emplace_back(argv[i]);
}

QWidget* QtHost::ShownWindow() const {
    return m_window && m_window->isVisible() ? m_window : nullptr;
}

int QtHost::StopSignal() const {
    const int signal = m_stopSignal ? m_stopSignal() : 0;
    return signal == 0 && m_closed ? kStopByClose : signal;
}

// A signal cannot reach a dialog's event loop by itself: a look at the flag every tenth of a
// second is cheap and soon enough for "within about a second".
void QtHost::CloseOnStop(QDialog& dialog) const {
    auto* watch = new QTimer(&dialog);
    QObject::connect(watch, &QTimer::timeout, &dialog, [this, &dialog] {
        if (StopSignal() != 0) dialog.reject();
    });
    watch->start(kStopWatchMs);
}

// A message box comes up before the window only when there is none to wait for; otherwise it
// waits, so that it stands above the window it belongs to.
void QtHost::MessageBox(const std::string& text, const std::string& title,
                        const std::string& details) {
    if (StopSignal() != 0) {
        // Nobody is left to press OK: the message goes where a headless run puts it.
        bool lastWasCarriageReturn = false;
        std::cerr << title << ": " << UnixLineBreaks(text, lastWasCarriageReturn) << '\n';
        if (!details.empty()) std::cerr << UnixLineBreaks(details, lastWasCarriageReturn) << '\n';
        return;
    }
    if (m_window && !m_windowShown && !m_window->isVisible()) {
        m_waitingMessages.push_back({text, title, details});
        return;
    }
    ShowMessageBox({text, title, details});
}

void QtHost::ShowMessageBox(const Waiting& message) {
    QMessageBox box(QMessageBox::Warning, ToQString(message.title), DialogText(message.text),
                    QMessageBox::Ok, ShownWindow());
    box.setTextFormat(Qt::PlainText);
    box.setFont(FormFont());
    if (!message.details.empty()) box.setDetailedText(DialogText(message.details));
    WideEnoughForTitle(box);
    CloseOnStop(box);
    WaitForDialog(box, ShownWindow());
}

std::string QtHost::OpenFileDialog(const std::string& filter) {
    if (StopSignal() != 0) return {};
    QFileDialog dialog(ShownWindow(), QString(), m_lastFolder, QtNameFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setFont(FormFont());
    CloseOnStop(dialog);
    if (WaitForDialog(dialog, ShownWindow()) != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return {};
    // The next file, the data file after the hex file say, is most likely beside this one.
    m_lastFolder = QFileInfo(chosen.constFirst()).absolutePath();
    return ToStdString(chosen.constFirst());
}

// The warning belongs to the window from the start, so the window manager keeps it above
// the window until it is answered.
void QtHost::ShowSerialSafeWarning(std::function<void(bool yes)> answer) {
    if (StopSignal() != 0) {
        answer(false);
        return;
    }
    auto* warning = new SerialSafeWarning(std::move(answer), m_window);
    m_warning = warning;
    if (m_window && !m_window->isVisible()) return;  // it comes up with the window
    ShowAbove(*warning);
}

void QtHost::WindowShown() {
    m_windowShown = true;
    const std::vector<Waiting> waiting = std::move(m_waitingMessages);
    m_waitingMessages.clear();
    for (const Waiting& message : waiting) ShowMessageBox(message);
    if (m_warning && !m_warning->isVisible()) ShowAbove(*m_warning);
}

// The answer comes from an event (a click in the warning), so waiting for the next event
// between tests never misses it and never spins.
void QtHost::ProcessEventsUntil(const std::function<bool()>& done) {
    // A signal is no event: the wait also wakes every tenth of a second to look for a stop.
    QTimer watch;
    watch.start(kStopWatchMs);
    while (!done() && StopSignal() == 0) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (!done() && m_warning) m_warning->close();  // stopped: the warning goes, counted as No
}

void QtHost::Pause(float seconds) {
    const auto ms = static_cast<int>(std::lround(double(seconds) * kMillisecondsPerSecond));
    if (ms <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [this, &loop] {
        if (StopSignal() != 0) loop.quit();
    });
    watch.start(kStopWatchMs);
    loop.exec();
}

std::vector<std::string> QtHost::CommandLineWords() const { return m_words; }

std::string QtHost::ProgramFolder() const {
    return ToStdString(QCoreApplication::applicationDirPath());
}

}  // namespace tovrel
