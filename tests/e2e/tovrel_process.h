#pragma once

#include <map>
#include <string>
#include <vector>

namespace tovrel::testing {

struct ProgramRun {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs the tovrel program with these arguments in an environment made of env alone (plus
// the sanitizer options of the test's own environment): no display, so no window.
ProgramRun RunTovrel(const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& env);

}  // namespace tovrel::testing
