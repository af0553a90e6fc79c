#pragma once

namespace tovrel::app {

// A command-line run without any window: the same form, panel and sequence as with one,
// driven through the console host. Returns the run's exit status.
int RunHeadless(int argc, char** argv);

}  // namespace tovrel::app
