#include "ui/qt_host.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
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

void QtHost::MessageBox(const std::string& text, const std::string& title,
                        const std::string& details) {
    if (StopSignal() != 0) {
        // Nobody is left to press OK: the message goes where a headless run puts it.
        bool lastWasCarriageReturn = false;
        std::cerr << title << ": " << UnixLineBreaks(text, lastWasCarriageReturn) << '\n';
        if (!details.empty()) std::cerr << UnixLineBreaks(details, lastWasCarriageReturn) << '\n';
        return;
    }
    QMessageBox box(QMessageBox::Warning, ToQString(title), DialogText(text), QMessageBox::Ok,
                    ShownWindow());
    box.setTextFormat(Qt::PlainText);
    if (!details.empty()) box.setDetailedText(DialogText(details));
    CloseOnStop(box);
    WaitForDialog(box, ShownWindow());
}

std::string QtHost::OpenFileDialog(const std::string& filter) {
    if (StopSignal() != 0) return {};
    QFileDialog dialog(ShownWindow(), QString(), QString(), QtNameFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    CloseOnStop(dialog);
    if (WaitForDialog(dialog, ShownWindow()) != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? std::string() : ToStdString(chosen.constFirst());
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
