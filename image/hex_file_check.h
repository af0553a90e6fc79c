#pragma once

#include <string>

#include "core/settings.h"
#include "core/host.h"

namespace tovrel {

// Checks every record of an Intel HEX file against CodeSize and its checksum, sums the
// whole-file checksum into HexFileChecksum and compares it with ExpectedChecksum when
// compareChecksum (the panel's "Verify Hex file checksum" box) is set. Shows its own
// message boxes. Sends nothing.
bool HexFileCheckFunction(Settings& settings, Host& host, const std::string& file,
                          bool compareChecksum);

}  // namespace tovrel
