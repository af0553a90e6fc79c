#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tovrel {

inline constexpr std::uint8_t kFrameStart1 = 0x07;
inline constexpr std::uint8_t kFrameStart2 = 0x0E;

// Loader command letters.
inline constexpr std::uint8_t kCmdEraseCode = 'C';
inline constexpr std::uint8_t kCmdEraseAll = 'A';
inline constexpr std::uint8_t kCmdBaudRate = 'B';
inline constexpr std::uint8_t kCmdWriteCode = 'W';
inline constexpr std::uint8_t kCmdWriteData = 'E';
inline constexpr std::uint8_t kCmdVerifyPage = 'V';
inline constexpr std::uint8_t kCmdSecurity = 'S';
inline constexpr std::uint8_t kCmdBootload = 'F';
inline constexpr std::uint8_t kCmdRun = 'U';
inline constexpr std::uint8_t kCmdQuickPage = 'Q';

// 07 0E, length (command + payload), command, payload, checksum over length..payload.
std::vector<std::uint8_t> BuildLoaderFrame(std::uint8_t command,
                                           std::span<const std::uint8_t> payload);

}  // namespace tovrel
