#pragma once

#include <string>
#include <vector>

#include "core/host.h"
#include "core/settings.h"
#include "core/text_file.h"

namespace tovrel {

// The lines of a data-flash text file that the check and the download use: every line up to
// the last non-empty one, and that last one only when it has a comma. A last line without a
// comma (an end-of-file byte, a note) carries no address and is not content.
std::vector<std::string> DataflashLines(const TextFile& file);

// Checks every line DataflashLines gives ("address,b0,b1,b2,b3") against DataSize; a file
// without any such line fails.
bool DataflashFileCheckFunction(Settings& settings, Host& host, const TextFile& file);

}  // namespace tovrel
