#pragma once

#include <string>

namespace tovrel::bench {

// Sends the messages a traced run sent, at the rates they travelled at, to the device on
// port, waiting after each for as many answer bytes as the traced run got, and doing
// nothing else: no files, no port re-opens, no program. Its gaps on the line are the
// floor of the test bed (terminal hops and process wake-ups). False with a reason when
// the device does not answer as in the trace.
bool ReplayTrace(const std::string& tracePath, const std::string& port, std::string& error);

}  // namespace tovrel::bench
