#include "image/dataflash_file_check.h"

#include "core/user_texts.h"
#include "image/text_fields.h"

namespace tovrel {

std::vector<std::string> DataflashLines(const TextFile& file) {
    std::vector<std::string> lines(
        file.lines.begin(),
        file.lines.begin() + static_cast<std::ptrdiff_t>(ContentLineCount(file.lines)));
    if (!lines.empty() && !ReadDataflashLine(lines.back()).hasComma) lines.pop_back();
    return lines;
}

bool DataflashFileCheckFunction(Settings& settings, Host& host, const TextFile& file) {
    // Every line the data download sends is checked; an empty line before the last has no
    // comma and fails without a message. The first failing line ends the check, so at most
    // one message is shown. A file without a single line of data is refused without one: the
    // caller says the file is invalid.
    const std::vector<std::string> lines = DataflashLines(file);
    if (lines.empty()) return false;
    for (const std::string& text : lines) {
        const DataflashLine line = ReadDataflashLine(text);
        if (!line.hasComma) return false;
        // A negative address has no address bytes: it is refused like one that is too large.
        if (line.address > settings.DataSize || line.address < 0) {
            ShowMessage(host, DataflashAddressTooLargeMessage());
            return false;
        }
    }
    return true;
}

}  // namespace tovrel
