#pragma once

#include <cstdint>

#include "link/link.h"

namespace tovrel {

// 'E' FF FF FF FF at 0000, then 'S' with the security value (0 to 6).
bool SecurityBitsFunction(Link& link, std::int16_t& Securitybits);

// 'F' with FE hex (bootload mode on) or FF hex (off). Sends only when BootloadOption holds.
bool BootloadFunction(Link& link, std::uint8_t data1);

// 'U' at RunAddress; refuses an address outside 0..CodeSize with "Invalid Run Address".
bool Run(Link& link);

}  // namespace tovrel
