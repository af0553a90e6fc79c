#pragma once

namespace tovrel::app {

// Ctrl-C, kill and a closed terminal (SIGINT, SIGTERM, SIGHUP) ask a command-line run to stop:
// the exchange under way ends, nothing more is sent but the way back to 9600 baud, the port
// closes and the settings are saved. A second such signal ends the program at once. A reader
// of the log that went away (SIGPIPE) stops only the log. Signals ignored when the program
// started (nohup, a background job) stay ignored. On Windows the console's Ctrl-C, Ctrl-Break
// and its closing (or the system's shutdown) stand for SIGINT, SIGTERM and SIGHUP.
void CatchStopSignals();
// For the window: as above, but SIGINT and SIGTERM are heard even when ignored at the start (a
// window started in the background of a script): a user who sends them means the close box.
void CatchWindowStopSignals();
// For a bench run: the first signal takes no new boards, the second stops the boards in
// progress as the first stops a single run, and only a third ends the program at once.
void CatchBenchStopSignals();

// The signal that asked for the stop; 0 while none did.
int StopSignal();
// How many stop signals came so far.
int StopCount();

// Its name, "SIGINT" say.
const char* SignalName(int signal);

// The exit status of a run the signal stopped: 128 + signal (130, 143, 129), the status a
// shell reports for a program the signal ended, given as a plain exit status so that every
// caller reads the same number.
int ExitStatusForSignal(int signal);

}  // namespace tovrel::app
