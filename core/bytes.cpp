#include "core/bytes.h"

#include <array>
#include <charconv>

namespace tovrel {
namespace {

constexpr int kHexBase = 16;

// Upper-case hexadecimal digits of value, with zeros in front up to width.
std::string HexDigits(std::uint32_t value, std::size_t width) {
    std::array<char, 8> digits{};
    const auto [end, error] =
        std::to_chars(digits.data(), digits.data() + digits.size(), value, kHexBase);
    std::string text(digits.data(), error == std::errc{} ? end : digits.data());
    for (char& c : text) {
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    }
    if (text.size() < width) text.insert(0, width - text.size(), '0');
    return text;
}

}  // namespace

std::uint8_t ChecksumByte(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    return static_cast<std::uint8_t>((kByteRange - sum % kByteRange) % kByteRange);
}

std::string ToHex(std::uint8_t Num) { return HexDigits(Num, 2); }

std::string HexText(std::int32_t value) { return HexDigits(static_cast<std::uint32_t>(value), 0); }

}  // namespace tovrel
