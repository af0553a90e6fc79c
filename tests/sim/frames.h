#pragma once

#include <string>

#include "testbed/sim_files.h"

namespace tovrel::testing {

using testbed::Bytes;
using testbed::BytesFromHex;
using testbed::Hex;

inline const Bytes kAck{0x06};
inline const Bytes kNak{0x15};
inline const Bytes kResetBytes{0x21, 0x5A, 0x00, 0xA6};
inline const Bytes kEraseCode{0x07, 0x0E, 0x01, 0x43, 0xBC};
inline const std::string kDefaultId = "Kaz 8QA    205           ";

// The tests' own frame builders, written from the loader's rules and kept apart from the
// simulator's parser so that one cannot hide a mistake of the other.
inline Bytes Frame(char letter, const Bytes& payload = {}) {
    Bytes frame{0x07, 0x0E, static_cast<std::uint8_t>(payload.size() + 1),
                static_cast<std::uint8_t>(letter)};
    unsigned sum = frame[2] + frame[3];
    for (std::uint8_t byte : payload) frame.push_back(byte), sum += byte;
    frame.push_back(static_cast<std::uint8_t>(-sum));
    return frame;
}

// spoil is added to the checksum.
inline Bytes QuickFrame(std::uint8_t page, const Bytes& data, std::uint8_t spoil = 0) {
    Bytes frame{0x07, 'Q', page};
    unsigned sum = page;
    for (std::uint8_t byte : data) frame.push_back(byte), sum += byte;
    frame.push_back(static_cast<std::uint8_t>(spoil - sum));
    return frame;
}

inline Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The 'V' reply for an erased page: 256 bytes FF and the checksum that makes them sum to 0.
inline Bytes ErasedPage() {
    Bytes page(256, 0xFF);
    page.push_back(0x00);
    return page;
}

}  // namespace tovrel::testing
