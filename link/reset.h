#pragma once

#include <string>

#include "link/link.h"

namespace tovrel {

// Sends the reset message, reads and checks the identification text and loads the device
// profile it names. The port is open at PCBaudrate.
bool Reset(Link& link);

// Whether a board in its boot loader is on the line: the reset message goes out and an
// identification text of the family answers it. Loads no profile and shows nothing, so a bench
// can ask as often as it polls. PortFailed: the message could not be written (a port that went
// away), so the caller opens it again.
enum class Presence { Answered, Silent, PortFailed };
Presence BoardPresence(Link& link);

// "Zerk8", the model characters, " version ", major "." minor: what PelliconText shows.
std::string IdentificationDisplay(const Settings& settings);

}  // namespace tovrel
