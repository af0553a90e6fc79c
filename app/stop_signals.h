#pragma once

namespace tovrel::app {

// Ctrl-C, kill and a closed terminal (SIGINT, SIGTERM, SIGHUP) ask a command-line run to stop:
// the exchange under way ends, nothing more is sent but the way back to 9600 baud, the port
// closes and the settings are saved. A second such signal ends the program at once. A reader
// of the log that went away (SIGPIPE) stops only the log. Signals ignored when the program
// started (nohup, a background job) stay ignored.
void CatchStopSignals();

// The signal that asked for the stop; 0 while none did.
int StopSignal();

// Its name, "SIGINT" say.
const char* SignalName(int signal);

// Ends the program as the signal would have ended it had it not been caught, so that the
// shell sees 128 + signal and a script's loop stops too.
[[noreturn]] void EndBySignal(int signal);

}  // namespace tovrel::app
