#pragma once

#include <string>

#include "link/link.h"

namespace tovrel {

// Sends the reset message, reads and checks the identification text and loads the device
// profile it names. The port is open at PCBaudrate.
bool Reset(Link& link);

// "Zerk8", the model characters, " version ", major "." minor: what PelliconText shows.
std::string IdentificationDisplay(const Settings& settings);

}  // namespace tovrel
