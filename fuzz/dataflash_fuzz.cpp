// The data-flash file check, and the reading of each line the data download sends.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/numbers.h"
#include "core/settings.h"
#include "core/text_file.h"
#include "fuzz/fuzz_support.h"
#include "image/dataflash_file_check.h"
#include "image/text_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tovrel;
    const std::string& path = fuzzing::WriteInputFile(data, size);
    fuzzing::QuietHost host;
    Settings settings;
    LoadDefaultData(settings);
    const auto file = ReadTextFile(host, path);
    if (!file) return 0;
    const bool checked = DataflashFileCheckFunction(settings, host, *file);

    // What the data download sends.
    for (const std::string& line : DataflashLines(*file)) {
        const DataflashLine read = ReadDataflashLine(line);
        // A checked file holds only addresses from 0 to DataSize.
        if (checked && !line.empty() && read.hasComma &&
            !(read.address >= 0 && read.address <= settings.DataSize)) {
            std::abort();
        }
        RoundHalfEven(read.address);
    }
    return 0;
}
