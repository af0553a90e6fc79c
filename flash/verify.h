#pragma once

#include <cstdint>
#include <string>

#include "core/progress.h"
#include "core/text_file.h"
#include "image/code_image.h"
#include "link/link.h"

namespace tovrel {

// What one verify did, for a caller that reports the verify files.
struct VerifyOutcome {
    bool pagesMatched = false;
    // True when GenVerifyFiles was set and both files were written whole.
    bool filesWritten = false;
};

// Reads all 248 code pages back with 'V' and compares them with the image of the download
// file, the same reading the download sent; writes "verify.hex" and "verify.bin" beside the
// file when GenVerifyFiles is set. Answers pagesMatched.
bool VerifyAfterDownloadFunction(Link& link, ProgressSink& progress, const TextFile& file,
                                 VerifyOutcome& outcome);

// Reads code pages 0 to pageCount - 1 (at most 248) into image with 'V', as the verify reads
// them: a short or missing answer is asked for again, at most 20 failed reads in all. True
// when every page came whole.
bool ReadCodeFunction(Link& link, ProgressSink& progress, std::size_t pageCount, CodeImage& image);

}  // namespace tovrel
