#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "link/link.h"

namespace tovrel {

// Not a loader frame: no start bytes, no length, no checksum.
inline constexpr std::array<std::uint8_t, 4> kResetMessage{0x21, 0x5A, 0x00, 0xA6};

// Runs the before sequence of the modem lines, sends the reset message, reads and checks the
// identification text and loads the device profile it names. The port is open at PCBaudrate.
// False, with nothing sent, when a line cannot be set.
bool Reset(Link& link);

// Whether a board in its boot loader is on the line: the before sequence of the modem lines,
// then the reset message, and an identification text of the family answers it. Loads no
// profile, so a bench can ask as often as it polls. PortFailed: the message could not be
// written (a port that went away), so the caller opens it again; LinesFailed: the lines
// could not be set, said in a message unless quiet.
enum class Presence { Answered, Silent, PortFailed, LinesFailed };
Presence BoardPresence(Link& link, bool quiet);

// "Zerk8", the model characters, " version ", major "." minor: what PelliconText shows.
std::string IdentificationDisplay(const Settings& settings);

}  // namespace tovrel
