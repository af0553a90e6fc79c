#pragma once

#include <string>

#include "core/host.h"
#include "core/settings.h"
#include "core/text_file.h"

namespace tovrel {

// Checks every record of an Intel HEX file (the lines RecordFields gives) against CodeSize
// and its checksum, sums the whole-file checksum into HexFileChecksum and compares it with
// ExpectedChecksum when compareChecksum (the panel's "Verify Hex file checksum" box) is set.
// Shows its own message boxes. Sends nothing.
bool HexFileCheckFunction(Settings& settings, Host& host, const TextFile& file,
                          bool compareChecksum);

}  // namespace tovrel
