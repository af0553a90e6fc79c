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

}  // namespace tovrel::app
