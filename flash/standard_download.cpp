#include <algorithm>

#include "flash/download.h"
#include "flash/frames.h"
#include "image/hex_record.h"
#include "core/user_texts.h"

namespace tovrel {

bool StandardDownloadMode(Link& link, ProgressSink& progress, const std::string& file) {
    Settings& settings = link.settings;
    // The whole file is read and parsed before the first frame: a line that cannot go out
    // stops the download before anything reaches the device.
    std::size_t linesRead = 0;
    const auto lines = LoadRecordLines(link.host, file, kAddressSpaceEnd,
                                       BeyondAddressSpaceMessage(file), &linesRead);
    if (!lines) {
        settings.OperationOK = false;
        return false;
    }

    // The bar counts every line but the one whose reading ends the file (normally the end
    // record), so it ends at the line count less one. That last line is still sent when it
    // carries data, so this download writes the same data as the page-wise one; without data
    // (an end record in small letters) it would write nothing and is not sent.
    const std::size_t countedLines = linesRead == 0 ? 0 : linesRead - 1;
    ProgressScope bar(progress, static_cast<int>(countedLines));
    for (std::size_t i = 0; i < std::max(lines->size(), countedLines); ++i) {
        const bool counted = i < countedLines;
        if (i < lines->size() && !(*lines)[i].isEndRecord && settings.OperationOK &&
            (counted || !(*lines)[i].record.data.empty())) {
            settings.OperationOK =
                SendAndAcknowledge(link, BuildCodeWriteFrame((*lines)[i].record));
        }
        if (counted) bar.Step(static_cast<int>(i + 1));
    }
    return settings.OperationOK;
}

}  // namespace tovrel
