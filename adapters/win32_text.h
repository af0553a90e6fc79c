#pragma once

#include <cstdint>
#include <string>
#include <system_error>

namespace tovrel {

// Where the program's UTF-8 texts meet the wide-character Windows API, and the system's own
// words for its error codes.

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

// The system's message for a GetLastError code in the user's language, as UTF-8 without the
// line break Windows ends it with ("Access is denied."); "Windows error 1234" when it has none.
std::string SystemMessage(std::uint32_t code);

// A GetLastError code whose message() is SystemMessage.
std::error_code Win32Error(std::uint32_t code);

}  // namespace tovrel
