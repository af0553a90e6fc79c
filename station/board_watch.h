#pragma once

#include <chrono>
#include <functional>

#include "link/link.h"

namespace tovrel {

// The loop's watch over one port between boards: the reset message at most twice a second,
// the port held open meanwhile (a port that goes away is opened again, quietly after the first
// message about it).
class BoardWatch {
  public:
    // keepWaiting says whether the bench still wants a board on this port.
    BoardWatch(Link& link, std::function<bool()> keepWaiting)
        : m_link(link), m_keepWaiting(std::move(keepWaiting)) {}
    ~BoardWatch() { Release(); }
    BoardWatch(const BoardWatch&) = delete;
    BoardWatch& operator=(const BoardWatch&) = delete;

    // Until a board answers: true at its first answer, false when the bench wants no more.
    bool WaitForBoard();
    // Until the board has not answered for a second: true then, false as above.
    bool WaitUntilGone();
    // Closes the port for the download, which opens it itself.
    void Release();

    static constexpr std::chrono::milliseconds kPollInterval{500};
    static constexpr int kSilentPollsForGone = 2;

  private:
    enum class Answer { Yes, No, NoPort };
    Answer Poll();
    bool Open();

    Link& m_link;
    std::function<bool()> m_keepWaiting;
    bool m_open = false;
    bool m_openFailureShown = false;
    bool m_linesFailureShown = false;
    std::chrono::steady_clock::time_point m_nextPoll{};
};

}  // namespace tovrel
