#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tovrel::testing {

inline std::string HexByte(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

// One well-formed Intel HEX record line (without line end).
inline std::string Record(unsigned address, const std::vector<std::uint8_t>& data,
                          unsigned type = 0) {
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    std::string line = ":" + HexByte(static_cast<unsigned>(data.size())) + HexByte(address >> 8) +
                       HexByte(address) + HexByte(type);
    for (std::uint8_t b : data) {
        sum += b;
        line += HexByte(b);
    }
    return line + HexByte(0x100 - (sum & 0xFF));
}

inline const std::string kEnd = ":00000001FF";

// Lines joined with CR LF after each.
inline std::string HexFile(const std::vector<std::string>& lines, const char* lineEnd = "\r\n") {
    std::string text;
    for (const std::string& line : lines) text += line + lineEnd;
    return text;
}

}  // namespace tovrel::testing
