#pragma once

#include <string>

#include "core/settings.h"
#include "core/host.h"

namespace tovrel {

// Checks every line of a data-flash text file ("address,b0,b1,b2,b3") against DataSize.
bool DataflashFileCheckFunction(Settings& settings, Host& host, const std::string& file);

}  // namespace tovrel
