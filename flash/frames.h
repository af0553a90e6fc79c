#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "image/code_image.h"
#include "image/hex_record.h"
#include "image/text_fields.h"

namespace tovrel {

// A code or data address as the frames carry it: 24 bits whose upper byte is always 0.
std::array<std::uint8_t, 3> FrameAddress(std::uint16_t address);

// The one-byte length of a 'W' frame counts four bytes besides the data.
inline constexpr std::size_t kMaxWriteFrameData = 251;

// 'W': 00, address high, address low, the record's data bytes (at most 251).
std::vector<std::uint8_t> BuildCodeWriteFrame(const HexRecord& record);

// 'E': 00, address high, address low, four data bytes.
std::vector<std::uint8_t> BuildDataWriteFrame(
    std::uint16_t address, const std::array<std::uint8_t, kDataflashBytesPerLine>& bytes);

inline constexpr std::size_t kQuickFrameSize = 260;

// The page frame has its own layout: 07 'Q' page, 256 data bytes, and a checksum over the
// page number and the data only; no length byte.
void BuildQuickPageFrame(std::uint8_t page, std::span<const std::uint8_t> data,
                         std::array<std::uint8_t, kQuickFrameSize>& frame);

// 'V' with the page number.
std::vector<std::uint8_t> BuildVerifyPageFrame(std::uint8_t page);

}  // namespace tovrel
