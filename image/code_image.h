#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/host.h"
#include "core/text_file.h"
#include "image/hex_record.h"

namespace tovrel {

inline constexpr std::size_t kPageSize = 256;
inline constexpr std::size_t kPageCount = 248;
// 0000 to F7FF hex: the code space the page-wise download and the verify cover.
inline constexpr std::size_t kCodeImageSize = kPageSize * kPageCount;
inline constexpr std::uint8_t kErasedByte = 0xFF;

// The code space as 248 pages of 256 bytes, every byte erased until something is placed.
class CodeImage {
  public:
    CodeImage() : m_bytes(kCodeImageSize, kErasedByte) {}

    std::span<const std::uint8_t> Page(std::size_t page) const {
        return std::span(m_bytes).subspan(page * kPageSize, kPageSize);
    }
    std::span<std::uint8_t> Page(std::size_t page) {
        return std::span(m_bytes).subspan(page * kPageSize, kPageSize);
    }
    std::span<const std::uint8_t> Bytes() const { return m_bytes; }
    // An erased page holds nothing to write.
    bool PageIsEmpty(std::size_t page) const;
    // Places a record's bytes from its address on, running over page ends; a later record
    // overwrites an earlier one. The caller keeps the record inside the image.
    void Place(const HexRecord& record);

  private:
    std::vector<std::uint8_t> m_bytes;
};

// Builds the image of a download file: every line RecordFields gives that writes is placed,
// neither the exact end record nor an address record. Shows a message and answers false when
// a line has no record's shape, a record cannot be placed or one reaches F800 hex or beyond.
bool LoadCodeImage(Host& host, const TextFile& file, CodeImage& image);

}  // namespace tovrel
