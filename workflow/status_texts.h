#pragma once

#include <cstdint>
#include <string>

namespace tovrel {

// Every text the commands put into the status log or into a message box, built in one place.

inline constexpr const char* kPortHeldText = "Com Port Already Open by another host";
inline constexpr const char* kWarningTitle = "Warning";
inline constexpr const char* kHexFileFilter = "Hex Files (*.Hex)|*.hex";
inline constexpr const char* kDataFileFilter = "txt Files (*.txt)|*.txt";

// Upper-case hexadecimal digits without leading zeros; a negative value shows as its
// eight-digit two's complement.
std::string HexText(std::int32_t value);

// CR LF and "Configuration: COM<n>, <baud text> baud"; the caller ends the line.
std::string ResetStartText(int comport, const std::string& baudText);
std::string ResetErrorText();

// "Baudrate = <rate>... OK" or "... failed".
std::string BaudrateLine(std::int32_t rate, bool ok);
std::string ChecksumLine(const std::string& file, std::int32_t checksum);
std::string ChecksumMismatchLine(std::int32_t expected, const std::string& file,
                                 std::int32_t calculated);

// The settings file could not be written; an empty name: there was no place for it at all.
std::string SettingsNotSavedText(const std::string& file);

}  // namespace tovrel
