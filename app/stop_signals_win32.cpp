// The stop signals on Windows: the console's control events, heard by a handler that the
// system runs on a thread of its own, stand for the signals a run on Linux hears, with the
// same numbers, so that the notes and exit statuses are the same on both systems:
//   Ctrl-C                          SIGINT   2  (130)
//   Ctrl-Break                      SIGTERM 15  (143), what a program or a script sends a
//                                   console program to end it, as kill does on Linux
//   console closed, shutdown        SIGHUP   1  (129), the terminal gone
#include <atomic>
#include <cstdlib>

#include "app/stop_signals.h"
#include "core/win32.h"

namespace tovrel::app {
namespace {

// The numbers of the signals on Linux; the C runtime of Windows has no SIGHUP, and its
// SIGBREAK (21) would give an exit status no script for the other system knows.
constexpr int kSigHup = 1;
constexpr int kSigInt = 2;
constexpr int kSigTerm = 15;
constexpr int kSignalExitBase = 128;
// Windows ends a process 5 s after the console closed, and at once when the handler returns:
// the handler holds the process this long for the run to end in good order (the port back at
// 9600 baud and closed, the settings saved), and ends it itself after.
constexpr DWORD kCloseWaitMs = 4000;

std::atomic<int> g_stopSignal = 0;
std::atomic<int> g_stopCount = 0;
// The signals that are waited for in good order; the next one ends the program.
std::atomic<int> g_signalsInOrder = 1;

int SignalOf(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
            return kSigInt;
        case CTRL_BREAK_EVENT:
            return kSigTerm;
        case CTRL_CLOSE_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            return kSigHup;
        default:
            return 0;
    }
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
    // Only a service hears a logoff, and of any user: it says nothing about this run.
    if (event == CTRL_LOGOFF_EVENT) return TRUE;
    const int signal = SignalOf(event);
    if (signal == 0) return FALSE;
    int none = 0;
    g_stopSignal.compare_exchange_strong(none, signal);
    if (g_stopCount >= g_signalsInOrder) {
        // One more: no more waiting, and no clean-up either.
        _exit(kSignalExitBase + signal);
    }
    if (signal != kSigHup) {
        ++g_stopCount;
        return TRUE;
    }
    // The console is going, and with it the process a few seconds later: what a bench would
    // finish after its first signal has no time left, so the boards in progress stop now. The
    // run's end (main returning) ends the process, this thread with it.
    g_stopCount = g_signalsInOrder.load();
    Sleep(kCloseWaitMs);
    _exit(kSignalExitBase + signal);
}

}  // namespace

// A program started with Ctrl-C ignored (a child made in a new process group, or by a
// start /b) is never told of Ctrl-C: it stays ignored, as SIGINT does for a background job.
void CatchStopSignals() {
    // Added once however often asked, as sigaction sets one handler.
    static const bool caught = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != FALSE;
    (void)caught;
}

// The window hears Ctrl-C even when it was ignored at the start.
void CatchWindowStopSignals() {
    SetConsoleCtrlHandler(nullptr, FALSE);
    CatchStopSignals();
}

void CatchBenchStopSignals() {
    g_signalsInOrder = 2;
    CatchStopSignals();
}

int StopSignal() { return g_stopSignal; }

int StopCount() { return g_stopCount; }

const char* SignalName(int signal) {
    switch (signal) {
        case kSigInt:
            return "SIGINT";
        case kSigTerm:
            return "SIGTERM";
        case kSigHup:
            return "SIGHUP";
        default:
            return "a signal";
    }
}

int ExitStatusForSignal(int signal) { return kSignalExitBase + signal; }

}  // namespace tovrel::app
