#include "station/board_watch.h"

#include <thread>

#include "core/user_texts.h"
#include "link/reset.h"

namespace tovrel {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kStopLook{50};

}  // namespace

bool BoardWatch::WaitForBoard() {
    while (m_keepWaiting()) {
        if (Poll() == Answer::Yes) return true;
    }
    return false;
}

bool BoardWatch::WaitUntilGone() {
    int silent = 0;
    while (m_keepWaiting()) {
        silent = Poll() == Answer::Yes ? 0 : silent + 1;
        if (silent >= kSilentPollsForGone) return true;
    }
    return false;
}

void BoardWatch::Release() {
    if (m_open) m_link.port.Close();
    m_open = false;
}

// One reset message in its half second: a poll that was answered early waits out the rest.
BoardWatch::Answer BoardWatch::Poll() {
    while (Clock::now() < m_nextPoll) {
        if (!m_keepWaiting()) return Answer::No;
        std::this_thread::sleep_for(
            std::min<Clock::duration>(m_nextPoll - Clock::now(), kStopLook));
    }
    m_nextPoll = Clock::now() + kPollInterval;
    if (!m_open && !Open()) return Answer::NoPort;
    // Lines that cannot be set are told once, as a port that does not open is.
    const Presence presence = BoardPresence(m_link, m_linesFailureShown);
    m_linesFailureShown = presence == Presence::LinesFailed;
    switch (presence) {
        case Presence::Answered:
            return Answer::Yes;
        case Presence::Silent:
            return Answer::No;
        case Presence::PortFailed:
        case Presence::LinesFailed:
            break;
    }
    Release();
    return Answer::NoPort;
}

// The first failure to open is told, as any port that does not open; the next ones are not,
// while the bench keeps trying.
bool BoardWatch::Open() {
    const Settings& s = m_link.settings;
    const std::string path = m_link.portPath(s.Comport);
    const std::error_code error = m_link.port.Open(path, s.PCBaudrate);
    m_open = !error;
    if (m_open) {
        m_openFailureShown = false;
    } else if (!m_openFailureShown) {
        m_openFailureShown = true;
        std::string reason = m_link.port.OpenErrorText();
        if (reason.empty()) reason = error.message();
        UserMessage message =
            OpenPortErrorMessage(PortFailureDetails(PortName(m_link), path, reason));
        message.details += "\n" + Tr(m_link.host, kPortWaitNote, PortName(m_link));
        ShowMessage(m_link.host, message);
    }
    return m_open;
}

}  // namespace tovrel
