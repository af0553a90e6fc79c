#include "app/console_host.h"

#include <algorithm>
#include <chrono>
#include <ostream>
#include <thread>

#include "app/stop_signals.h"
#include "core/user_texts.h"

namespace tovrel::app {
namespace {

constexpr int kProgressWidth = 30;
constexpr std::chrono::milliseconds kStopLook{20};  // how often a pause looks for a stop
// DEC cursor save and restore, and erase to the end of the line: the progress stands after
// whatever the log's current line already shows and goes away without a trace.
constexpr const char* kSaveCursor = "\0337";
constexpr const char* kRestoreCursor = "\0338";
constexpr const char* kEraseToEnd = "\033[K";

std::string ProgressText(const MainWindowModel::Progress& p) {
    const int range = std::max(p.max - p.min, 1);
    const int done = std::clamp(p.value - p.min, 0, range);
    const int filled = done * kProgressWidth / range;
    return " [" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(kProgressWidth - filled), '.') + "] " +
           std::to_string(done) + "/" + std::to_string(range);
}

}  // namespace

std::string ConsoleLineBreaks(const std::string& text, bool allBreaks) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            result += '\n';
            ++i;
        } else if (allBreaks && c == '\r') {
            result += '\n';
        } else {
            result += c;
        }
    }
    return result;
}

ConsoleHost::ConsoleHost(Options options, std::ostream& out, std::ostream& err)
    : m_options(std::move(options)), m_out(out), m_err(err) {}

void ConsoleHost::MessageBox(const std::string& text, const std::string& title,
                             const std::string& details) {
    m_err << title << ": " << ConsoleLineBreaks(text, true) << '\n';
    if (!details.empty()) m_err << ConsoleLineBreaks(details, true) << '\n';
    m_err << std::flush;
}

std::string ConsoleHost::OpenFileDialog(const std::string& filter) {
    m_err << Tr(*this, kNoFileDialogNote, filter) << '\n' << std::flush;
    return {};
}

void ConsoleHost::ShowSerialSafeWarning(std::function<void(bool yes)> answer) {
    if (m_options.confirmSerialSafe) {
        m_err << Tr(*this, kSerialSafeConfirmedNote, kConfirmSerialSafeVariable) << '\n';
    } else {
        m_err << Tr(*this, kSerialSafeNotConfirmedNote, kConfirmSerialSafeVariable) << '\n';
    }
    m_err << std::flush;
    answer(m_options.confirmSerialSafe);
}

void ConsoleHost::ProcessEventsUntil(const std::function<bool()>& done) {
    // Every question is answered at once here: there are no events that could still
    // change done(), so waiting on would never end.
    (void)done;
}

// In short steps, so that a stop ends the pause at once.
void ConsoleHost::Pause(float seconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<float>(std::max(seconds, 0.0f)));
    while (StopSignal() == 0) {
        const Clock::duration left = end - Clock::now();
        if (left <= Clock::duration::zero()) return;
        std::this_thread::sleep_for(std::min<Clock::duration>(left, kStopLook));
    }
}

int ConsoleHost::StopSignal() const { return app::StopSignal(); }

void ConsoleHost::StatusAppended(const std::string& appended) {
    m_out << ConsoleLineBreaks(appended, false) << std::flush;
}

void ConsoleHost::ProgressChanged(const MainWindowModel::Progress& progress) {
    if (!m_options.progressOnTerminal) return;
    if (!progress.visible) {
        if (m_progressShown) m_err << kRestoreCursor << kEraseToEnd << std::flush;
        m_progressShown = false;
        m_progressValue = -1;
        return;
    }
    if (m_progressShown && progress.value == m_progressValue && progress.max == m_progressMax) {
        return;
    }
    m_err << (m_progressShown ? kRestoreCursor : kSaveCursor) << ProgressText(progress)
          << kEraseToEnd << std::flush;
    m_progressShown = true;
    m_progressValue = progress.value;
    m_progressMax = progress.max;
}

}  // namespace tovrel::app
