#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tovrel {

inline constexpr unsigned kByteBits = 8;
inline constexpr std::uint32_t kByteRange = 256;

// The two bytes of a 16-bit address, high first on the wire and in HEX records.
constexpr std::uint8_t HighByte(std::uint32_t address) {
    return static_cast<std::uint8_t>((address >> kByteBits) % kByteRange);
}
constexpr std::uint8_t LowByte(std::uint32_t address) {
    return static_cast<std::uint8_t>(address % kByteRange);
}
// The address of a high and a low byte.
constexpr std::uint32_t AddressOf(std::uint32_t high, std::uint32_t low) {
    return kByteRange * high + low;
}

// The byte that makes the sum of the given bytes and itself 0 modulo 256: the checksum of the
// loader's frames and of Intel HEX records alike.
std::uint8_t ChecksumByte(std::span<const std::uint8_t> bytes);

// A byte as two upper-case hexadecimal digits ("0A").
std::string ToHex(std::uint8_t Num);

// Upper-case hexadecimal digits without leading zeros; a negative value shows as its
// eight-digit two's complement.
std::string HexText(std::int32_t value);

}  // namespace tovrel
