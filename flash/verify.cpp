#include "flash/verify.h"

#include <algorithm>

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

// Reads one page into the read-back image; true when all 256 bytes came and match. A reply
// shorter than a page is a failed read: what it brought is kept, but never compared with
// older bytes left in the receive buffer.
bool ReadPage(Link& link, std::size_t page, const CodeImage& expected, CodeImage& readBack) {
    if (!WriteMessage(link, BuildVerifyPageFrame(static_cast<std::uint8_t>(page)))) return false;
    const std::size_t received = ReadReply(link, kPageReplySize);
    const auto reply = std::span(link.settings.RxBuffer).first(std::min(received, kPageSize));
    std::copy(reply.begin(), reply.end(), readBack.Page(page).begin());
    return received >= kPageSize && std::ranges::equal(reply, expected.Page(page));
}

void ReadAllPages(Link& link, ProgressScope& bar, const CodeImage& expected, VerifyRun& run) {
    int failedReads = 0;
    std::size_t page = 0;
    while (page < kPageCount) {
        // A failed page is asked for again at once.
        if (ReadPage(link, page, expected, run.readBack)) {
            run.verified[page] = true;
            ++page;
        } else if (++failedReads == kMaxFailedReads) {
            run.matched = false;
            page = kPageCount;
        }
        if (page != 0) bar.Step(static_cast<int>(page - 1));
    }
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
    ReadAllPages(link, bar, expected, run);
    outcome.pagesMatched = run.matched;
    // The files show what was read even when the verify failed.
    if (settings.GenVerifyFiles) outcome.filesWritten = WriteVerifyFiles(link, run);
    return outcome.pagesMatched;
}

}  // namespace tovrel
