#pragma once

#include <string>

#include "config/settings.h"
#include "image/text_file.h"
#include "link/host.h"

namespace tovrel {

// Checks every record of an Intel HEX file (the lines RecordFields gives) against CodeSize
// and its checksum, sums the whole-file checksum into HexFileChecksum and compares it with
// ExpectedChecksum when compareChecksum (the panel's "Verify Hex file checksum" box) is set.
// Shows its own message boxes. Sends nothing.
bool HexFileCheckFunction(Settings& settings, Host& host, const TextFile& file,
                          bool compareChecksum);

}  // namespace tovrel
