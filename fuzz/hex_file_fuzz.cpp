// The download-file check and the two ways the downloads read the same file: the page image
// of the quick download and verify, and the records of the standard download.
#include <cstddef>
#include <cstdint>

#include "core/settings.h"
#include "core/text_file.h"
#include "core/user_texts.h"
#include "fuzz/fuzz_support.h"
#include "image/code_image.h"
#include "image/hex_file_check.h"
#include "image/hex_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tovrel;
    const std::string& path = fuzzing::WriteInputFile(data, size);
    fuzzing::QuietHost host;
    Settings settings;
    LoadDefaultData(settings);
    settings.CodeSize = static_cast<std::int32_t>(kCodeImageSize);
    const auto file = ReadTextFile(host, path);
    if (!file) return 0;
    const bool checked = HexFileCheckFunction(settings, host, *file, true);
    (void)checked;

    CodeImage image;
    LoadCodeImage(host, *file, image);

    const auto lines = LoadRecordLines(host, *file, kAddressSpaceEnd, InvalidHexFileMessage());
    if (lines) {
        for (const RecordLine& line : *lines) {
            if (line.record.address + line.record.data.size() > kAddressSpaceEnd) std::abort();
        }
    }
    return 0;
}
