#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovrel::testing {

using Bytes = std::vector<std::uint8_t>;

// The tests' own frame builder, written from the loader's rules and kept apart from the
// simulator's parser so that one cannot hide a mistake of the other.
inline Bytes Frame(char letter, const Bytes& payload = {}) {
    Bytes frame{0x07, 0x0E, static_cast<std::uint8_t>(payload.size() + 1),
                static_cast<std::uint8_t>(letter)};
    for (std::uint8_t byte : payload) frame.push_back(byte);
    unsigned sum = 0;
    for (std::size_t i = 2; i < frame.size(); ++i) sum += frame[i];
    frame.push_back(static_cast<std::uint8_t>(-sum));
    return frame;
}

inline Bytes QuickFrame(std::uint8_t page, const Bytes& data) {
    Bytes frame{0x07, 'Q', page};
    unsigned sum = page;
    for (std::uint8_t byte : data) sum += byte;
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(static_cast<std::uint8_t>(-sum));
    return frame;
}

inline const Bytes kResetBytes{0x21, 0x5A, 0x00, 0xA6};

inline Bytes Concat(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

inline std::string Hex(const Bytes& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

}  // namespace tovrel::testing
