#pragma once

#include "config/long_options.h"

namespace tovrel::app {

// --report and --history: the production record read from --db and printed, nothing written.
// Returns 0 (also when no row matches), 1 when the rows cannot be read, 2 when the database
// cannot be opened.
int RunRecordQuery(const ParsedCommandLine& line);

}  // namespace tovrel::app
