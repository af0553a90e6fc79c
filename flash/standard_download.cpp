#include "flash/download.h"
#include "flash/frames.h"
#include "image/hex_record.h"
#include "image/messages.h"

namespace tovrel {

bool StandardDownloadMode(Link& link, ProgressBar& progress, const std::string& file) {
    Settings& settings = link.settings;
    // The whole file is read and parsed before the first frame: a line that cannot go out
    // stops the download before anything reaches the device.
    const auto lines =
        LoadRecordLines(link.host, file, kAddressSpaceEnd, BeyondAddressSpaceMessage(file));
    if (!lines) {
        settings.OperationOK = false;
        return false;
    }

    // Every line is sent, the last one included, so this download writes the same data as
    // the page-wise one; the bar counts the lines read and ends at its maximum.
    progress.ShowProgress();
    progress.SetProgressMin(0);
    progress.SetProgressMax(static_cast<int>(lines->size()));
    progress.SetProgressValue(0);
    int lineCounter = 0;
    for (const RecordLine& line : *lines) {
        if (!line.isEndRecord && settings.OperationOK) {
            settings.OperationOK = SendAndAcknowledge(link, BuildCodeWriteFrame(line.record));
        }
        progress.SetProgressValue(++lineCounter);
    }
    progress.HideProgress();
    return settings.OperationOK;
}

}  // namespace tovrel
