#include <array>

#include "flash/download.h"
#include "flash/frames.h"
#include "image/code_image.h"

namespace tovrel {

bool QuickDownloadMode(Link& link, ProgressSink& progress, const TextFile& file) {
    Settings& settings = link.settings;
    CodeImage image;
    if (!LoadCodeImage(link.host, file, image)) {
        settings.OperationOK = false;
        return false;
    }

    int pagesToSend = 0;
    for (std::size_t page = 0; page < kPageCount; ++page) {
        if (!image.PageIsEmpty(page)) ++pagesToSend;
    }
    ProgressScope bar(progress, pagesToSend);

    // Erased pages get no frame: the preceding erase already left them so.
    std::array<std::uint8_t, kQuickFrameSize> frame{};
    int pagesSent = 0;
    for (std::size_t page = 0; page < kPageCount && settings.OperationOK; ++page) {
        if (image.PageIsEmpty(page)) continue;
        BuildQuickPageFrame(static_cast<std::uint8_t>(page), image.Page(page), frame);
        settings.OperationOK = SendAndAcknowledge(link, frame);
        // A refused page counts too: the bar shows how far the sending got.
        bar.Step(++pagesSent);
    }
    return settings.OperationOK;
}

}  // namespace tovrel
