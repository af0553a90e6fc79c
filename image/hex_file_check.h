#pragma once

#include <string>

#include "core/host.h"
#include "core/settings.h"
#include "core/text_file.h"

namespace tovrel {

// Checks every record of an Intel HEX file (the lines RecordFields gives) against CodeSize
// and its checksum, sums the whole-file checksum into HexFileChecksum and compares it with
// ExpectedChecksum when compareChecksum (the panel's "Verify Hex file checksum" box) is set.
// A file without a single data record, or with a record that cannot be placed (an extended
// address that is not 0), fails too. Shows its own message boxes. Sends nothing.
bool HexFileCheckFunction(Settings& settings, Host& host, const TextFile& file,
                          bool compareChecksum);

}  // namespace tovrel
