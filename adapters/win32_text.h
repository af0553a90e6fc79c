#pragma once

#include <cstdint>
#include <string>
#include <system_error>

#include "core/win32.h"

namespace tovrel {

// The system's own words for its error codes (Wide and Narrow, the conversions between the
// program's UTF-8 and the system's UTF-16, come from core/win32.h).

// The system's message for a GetLastError code in the user's language, as UTF-8 without the
// line break Windows ends it with ("Access is denied."); "Windows error 1234" when it has none.
std::string SystemMessage(std::uint32_t code);

// A GetLastError code whose message() is SystemMessage.
std::error_code Win32Error(std::uint32_t code);

}  // namespace tovrel
