#include "app/stop_signals.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>

namespace tovrel::app {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalExitBase = 128;

// Set in the handler, read by the run before each message and while it pauses, from every
// port's thread in a bench run: atomics that need no lock are safe in a handler too.
std::atomic<int> g_stopSignal = 0;
std::atomic<int> g_stopCount = 0;
// The signals that are waited for in good order; the next one ends the program.
std::atomic<int> g_signalsInOrder = 1;
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int signal) {
    int none = 0;
    g_stopSignal.compare_exchange_strong(none, signal);
    if (g_stopCount < g_signalsInOrder) {
        ++g_stopCount;
        return;
    }
    // One more: no more waiting, and no clean-up either (_exit is safe in a handler).
    _exit(kSignalExitBase + signal);
}

bool IgnoredAtStart(int signal) {
    struct sigaction current {};
    return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void CatchSignals(bool heardWhenIgnored) {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Reads and waits go on after the signal: the run looks at the flag where it matters.
    action.sa_flags = SA_RESTART;
    for (int signal : kStopSignals) {
        // nohup's SIGHUP stays ignored in every case.
        const bool heard = heardWhenIgnored && signal != SIGHUP;
        if (heard || !IgnoredAtStart(signal)) sigaction(signal, &action, nullptr);
    }
    // A write to a pipe whose reader is gone then fails (EPIPE) instead of ending the program.
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

void CatchStopSignals() { CatchSignals(false); }

void CatchWindowStopSignals() { CatchSignals(true); }

void CatchBenchStopSignals() {
    g_signalsInOrder = 2;
    CatchStopSignals();
}

int StopSignal() { return g_stopSignal; }

int StopCount() { return g_stopCount; }

const char* SignalName(int signal) {
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "a signal";
    }
}

int ExitStatusForSignal(int signal) { return kSignalExitBase + signal; }

}  // namespace tovrel::app
