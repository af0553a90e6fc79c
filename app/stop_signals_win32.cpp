// placeholder until the Win32 adapter lands
#include "app/stop_signals.h"

namespace tovrel::app {

constexpr int kSignalExitBase = 128;

void CatchStopSignals() {}
void CatchWindowStopSignals() {}
void CatchBenchStopSignals() {}
int StopSignal() { return 0; }
int StopCount() { return 0; }
const char* SignalName(int) { return "a signal"; }
int ExitStatusForSignal(int signal) { return kSignalExitBase + signal; }

}  // namespace tovrel::app
