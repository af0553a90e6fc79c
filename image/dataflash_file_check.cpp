#include "image/dataflash_file_check.h"

#include "core/user_texts.h"
#include "image/text_fields.h"
#include "core/text_file.h"

namespace tovrel {

bool DataflashFileCheckFunction(Settings& settings, Host& host, const std::string& file) {
    const auto lines = ReadTextLinesOrWarn(host, file);
    if (!lines) return false;
    // Every line up to the last non-empty one is checked, that one included (the data
    // download sends it); an empty line before it has no comma and fails without a message.
    // The first failing line ends the check, so at most one message is shown.
    const std::size_t contentLines = ContentLineCount(*lines);
    for (std::size_t i = 0; i < contentLines; ++i) {
        const DataflashLine line = ReadDataflashLine((*lines)[i]);
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
