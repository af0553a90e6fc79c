#include "flash/verify.h"

#include <algorithm>
#include <functional>

#include "core/text_file.h"
#include "flash/frames.h"
#include "flash/verify_files.h"
#include "image/code_image.h"

namespace tovrel {
namespace {

// 256 page bytes and one more that is not examined.
constexpr std::size_t kPageReplySize = 257;
// Failed page reads in all, over any number of pages, that end the verify.
constexpr int kMaxFailedReads = 20;

struct VerifyRun {
    CodeImage readBack;
    VerifiedPages verified{};
    bool matched = true;
};

// Reads one page into the image; true when all 256 bytes came. A reply shorter than a page is
// a failed read: what it brought is kept, but never taken together with older bytes left in
// the receive buffer.
bool ReadPage(Link& link, std::size_t page, CodeImage& image) {
    if (!WriteMessage(link, BuildVerifyPageFrame(static_cast<std::uint8_t>(page)))) return false;
    const std::size_t received = ReadReply(link, kPageReplySize);
    const auto reply = std::span(link.settings.RxBuffer).first(std::min(received, kPageSize));
    std::copy(reply.begin(), reply.end(), image.Page(page).begin());
    return received >= kPageSize;
}

// Reads pages 0 to pageCount - 1 into the image and marks each one that came whole and was
// accepted. A failed page is asked for again at once; false after 20 failed reads in all.
bool ReadPages(Link& link, ProgressScope& bar, std::size_t pageCount,
               const std::function<bool(std::size_t page)>& accept, CodeImage& image,
               VerifiedPages& done) {
    int failedReads = 0;
    bool whole = true;
    std::size_t page = 0;
    while (page < pageCount) {
        if (ReadPage(link, page, image) && accept(page)) {
            done[page] = true;
            ++page;
        } else if (++failedReads == kMaxFailedReads) {
            whole = false;
            page = pageCount;  // the bar still runs to its end
        }
        if (page != 0) bar.Step(static_cast<int>(page - 1));
    }
    return whole;
}

// Each file is tried on its own, so one that cannot be written does not cost the other.
bool WriteVerifyFiles(Link& link, const VerifyRun& run) {
    const Settings& settings = link.settings;
    const bool hexWritten = WriteFileWhole(link.host, settings.VerifyHexPath,
                                           VerifyHexText(run.readBack, run.verified));
    const auto bytes = run.readBack.Bytes();
    const bool binWritten =
        WriteFileWhole(link.host, settings.VerifyBinPath,
                       std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return hexWritten && binWritten;
}

}  // namespace

bool VerifyAfterDownloadFunction(Link& link, ProgressSink& progress, const TextFile& file,
                                 VerifyOutcome& outcome) {
    Settings& settings = link.settings;
    outcome = {};
    settings.VerifyHexName = kVerifyHexName;
    settings.VerifyBinName = kVerifyBinName;
    const std::string folder = FolderPart(file.path);
    settings.VerifyHexPath = folder + settings.VerifyHexName;
    settings.VerifyBinPath = folder + settings.VerifyBinName;

    CodeImage expected;
    if (!LoadCodeImage(link.host, file, expected)) return false;

    // The bar stays up while the files are written, until the verify is over.
    ProgressScope bar(progress, static_cast<int>(kPageCount - 1));
    VerifyRun run;
    run.matched = ReadPages(
        link, bar, kPageCount,
        [&](std::size_t page) {
            return std::ranges::equal(run.readBack.Page(page), expected.Page(page));
        },
        run.readBack, run.verified);
    outcome.pagesMatched = run.matched;
    // The files show what was read even when the verify failed.
    if (settings.GenVerifyFiles) outcome.filesWritten = WriteVerifyFiles(link, run);
    return outcome.pagesMatched;
}

bool ReadCodeFunction(Link& link, ProgressSink& progress, std::size_t pageCount, CodeImage& image) {
    pageCount = std::min(pageCount, kPageCount);
    if (pageCount == 0) return false;  // a device without code pages has nothing to read
    ProgressScope bar(progress, static_cast<int>(pageCount - 1));
    VerifiedPages done{};
    return ReadPages(
        link, bar, pageCount, [](std::size_t) { return true; }, image, done);
}

}  // namespace tovrel
