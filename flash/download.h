#pragma once

#include "core/progress.h"
#include "core/text_file.h"
#include "link/link.h"

namespace tovrel {

// One 'W' frame per record line (two for a record of more than 251 bytes), none for an address
// record; sends only while OperationOK holds.
bool StandardDownloadMode(Link& link, ProgressSink& progress, const TextFile& file);

// One 'Q' page frame per non-empty 256-byte page of the code image; sends only while
// OperationOK holds.
bool QuickDownloadMode(Link& link, ProgressSink& progress, const TextFile& file);

// One 'E' frame per non-empty line of the data-flash text file.
bool DataDownloadMode(Link& link, ProgressSink& progress, const TextFile& file);

}  // namespace tovrel
