#pragma once

#include <cstdint>
#include <string>

#include "core/progress.h"
#include "link/link.h"

namespace tovrel {

// Reads all 248 code pages back with 'V' and compares them with the image of HexFileName;
// writes "verify.hex" and "verify.bin" beside it when GenVerifyFiles is set.
bool VerifyAfterDownloadFunction(Link& link, ProgressSink& progress);

// What one verify did, for a caller that reports the verify files.
struct VerifyOutcome {
    bool pagesMatched = false;
    // True when GenVerifyFiles was set and both files were written whole.
    bool filesWritten = false;
};

// The same verify, telling also whether the verify files were written. Answers pagesMatched.
bool VerifyAfterDownloadFunction(Link& link, ProgressSink& progress, VerifyOutcome& outcome);

}  // namespace tovrel
