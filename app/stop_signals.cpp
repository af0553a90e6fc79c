#include "app/stop_signals.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace tovrel::app {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalExitBase = 128;

// Set in the handler, read by the run before each message and while it pauses.
volatile std::sig_atomic_t g_stopSignal = 0;
volatile std::sig_atomic_t g_stopCount = 0;
// The signals that are waited for in good order; the next one ends the program.
volatile std::sig_atomic_t g_signalsInOrder = 1;

extern "C" void OnStopSignal(int signal) {
    if (g_stopSignal == 0) g_stopSignal = signal;
    if (g_stopCount < g_signalsInOrder) {
        g_stopCount = g_stopCount + 1;
        return;
    }
    // One more: no more waiting, and no clean-up either (_exit is safe in a handler).
    _exit(kSignalExitBase + signal);
}

bool IgnoredAtStart(int signal) {
    struct sigaction current {};
    return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

}  // namespace

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Reads and waits go on after the signal: the run looks at the flag where it matters.
    action.sa_flags = SA_RESTART;
    for (int signal : kStopSignals) {
        if (!IgnoredAtStart(signal)) sigaction(signal, &action, nullptr);
    }
    // A write to a pipe whose reader is gone then fails (EPIPE) instead of ending the program.
    std::signal(SIGPIPE, SIG_IGN);
}

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
