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

// The whole-file checksum of an Intel HEX file and its code image (FF where no record is).
int HexFileChecksum(const std::string& path);
std::vector<unsigned char> HexFileImage(const std::string& path, std::size_t size);

}  // namespace tovrel::testing
