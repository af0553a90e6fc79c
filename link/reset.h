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

// "Zerk8", the model characters, " version ", major "." minor: what PelliconText shows.
std::string IdentificationDisplay(const Settings& settings);

}  // namespace tovrel
