#pragma once

#include "config/long_options.h"

namespace tovrel::app {

// A command-line run without any window: the same form, panel and sequence as with one,
// driven through the console host by the classic words of line, with its developer's options
// (--before, --after, --trace). Returns the run's exit status.
int RunHeadless(int argc, char** argv, const ParsedCommandLine& line);

// RunHeadless, stopped in good order by a signal: it then ends after the clean-up with 128 +
// the signal.
int RunStoppable(int argc, char** argv, const ParsedCommandLine& line);

// The status of a run that caught the stop signals: 128 + the signal when one stopped it (the
// standard error says so), else its own status.
int StatusAfterStop(int status);

}  // namespace tovrel::app
