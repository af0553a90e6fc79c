// The identification: the device answers the reset message with the input. Profiles are
// looked up beside the fuzzer, as beside the program.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/settings.h"
#include "fuzz/fuzz_support.h"
#include "link/link.h"
#include "link/reset.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tovrel;
    fuzzing::QuietHost host;
    host.folder = TOVREL_FUZZ_PROGRAM_FOLDER;
    fuzzing::ReplyPort port(std::span(data, size));
    Settings settings;
    LoadDefaultData(settings);
    settings.FrequencyText = "11.0592";
    Link link{settings, port, host, [](int) { return std::string("/dev/null"); }};
    if (Reset(link)) IdentificationDisplay(settings);
    IdentificationDisplay(settings);
    return 0;
}
