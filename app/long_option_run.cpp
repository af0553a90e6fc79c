#include "app/long_option_run.h"

#include <iostream>

#include "app/bench_run.h"

namespace tovrel::app {
namespace {

bool IsBenchRun(const LongOptions& o) {
    return o.Bench() || o.loop || o.serialFirst || !o.unitData.empty() || !o.logFile.empty() ||
           o.json;
}

// Filled in by the read-back, the bench and the developer's extras.
int NotYetBuilt(const char* what) {
    std::cerr << "tovrel: " << what << " is not built yet\n";
    return kExitUsage;
}

}  // namespace

int RunWithLongOptions(const ParsedCommandLine& line, int argc, char** argv, bool display) {
    if (!line.options.readFile.empty()) return NotYetBuilt("--read");
    if (IsBenchRun(line.options)) return RunBench(line, argc, argv, display);
    return NotYetBuilt("the classic run with --before, --after or --trace");
}

}  // namespace tovrel::app
