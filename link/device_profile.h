#pragma once

#include <string>

#include "link/link.h"

namespace tovrel {

// Reads the 14-line profile file at path into the device fields of the record, showing a
// line error for each line it cannot take. False only when the file cannot be read at all.
bool LoadDeviceProfile(Link& link, const std::string& path);

}  // namespace tovrel
