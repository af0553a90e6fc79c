#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovrel::testing {

// One well-formed Intel HEX record line (without line end).
inline std::string Record(unsigned address, std::vector<std::uint8_t> data, unsigned type = 0) {
    data.insert(data.begin(), {std::uint8_t(data.size()), std::uint8_t(address >> 8),
                               std::uint8_t(address), std::uint8_t(type)});
    unsigned sum = 0;
    for (std::uint8_t b : data) sum += b;
    data.push_back(std::uint8_t(0x100 - sum));
    std::string line = ":";
    for (std::uint8_t b : data) line += {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 15]};
    return line;
}

inline const std::string kEnd = ":00000001FF";

inline std::string HexFile(const std::vector<std::string>& lines, const char* lineEnd = "\r\n") {
    std::string text;
    for (const std::string& line : lines) text += line + lineEnd;
    return text;
}

}  // namespace tovrel::testing
