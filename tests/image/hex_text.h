#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tovrel::testing {

// One well-formed Intel HEX record line (without line end).
inline std::string Record(unsigned address, std::vector<std::uint8_t> data, unsigned type = 0) {
    data.insert(data.begin(), {std::uint8_t(data.size()), std::uint8_t(address >> 8),
                               std::uint8_t(address), std::uint8_t(type)});
    auto hex = [](unsigned value) {
        char text[3];
        std::snprintf(text, sizeof text, "%02X", value & 0xFF);
        return std::string(text);
    };
    std::string line = ":";
    unsigned sum = 0;
    for (std::uint8_t b : data) {
        line += hex(b);
        sum += b;
    }
    return line + hex(0x100 - sum);
}

inline const std::string kEnd = ":00000001FF";

// The lines with lineEnd after each.
inline std::string HexFile(const std::vector<std::string>& lines, const char* lineEnd = "\r\n") {
    std::string text;
    for (const std::string& line : lines) text += line + lineEnd;
    return text;
}

}  // namespace tovrel::testing
