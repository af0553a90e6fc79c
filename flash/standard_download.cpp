#include <algorithm>

#include "core/user_texts.h"
#include "flash/download.h"
#include "flash/frames.h"
#include "image/hex_record.h"

namespace tovrel {
namespace {

// A record of up to 255 bytes goes out as frames of at most 251, each at the address where
// its part of the record begins; the first refusal ends it.
bool SendRecord(Link& link, const HexRecord& record) {
    HexRecord part{record.address, {}};
    std::size_t sent = 0;
    do {
        const std::size_t size = std::min(kMaxWriteFrameData, record.data.size() - sent);
        part.address = record.address + static_cast<std::uint32_t>(sent);
        part.data.assign(record.data.begin() + static_cast<std::ptrdiff_t>(sent),
                         record.data.begin() + static_cast<std::ptrdiff_t>(sent + size));
        if (!SendAndAcknowledge(link, BuildCodeWriteFrame(part))) return false;
        sent += size;
    } while (sent < record.data.size());
    return true;
}

}  // namespace

bool StandardDownloadMode(Link& link, ProgressSink& progress, const TextFile& file) {
    Settings& settings = link.settings;
    // The whole file is parsed before the first frame: a line that cannot go out stops the
    // download before anything reaches the device.
    const auto lines =
        LoadRecordLines(link.host, file, kAddressSpaceEnd, BeyondAddressSpaceMessage(file.path));
    if (!lines) {
        settings.OperationOK = false;
        return false;
    }

    // The bar counts every line but the one whose reading ends the file (normally the end
    // record), so it ends at the line count less one. That last line is among the records
    // only when it carries data, and is then sent too, so this download writes the same data
    // as the page-wise one.
    const std::size_t countedLines = file.lines.empty() ? 0 : file.lines.size() - 1;
    ProgressScope bar(progress, static_cast<int>(countedLines));
    for (std::size_t i = 0; i < std::max(lines->size(), countedLines); ++i) {
        if (i < lines->size() && (*lines)[i].Writes() && settings.OperationOK) {
            settings.OperationOK = SendRecord(link, (*lines)[i].record);
        }
        if (i < countedLines) bar.Step(static_cast<int>(i + 1));
    }
    return settings.OperationOK;
}

}  // namespace tovrel
