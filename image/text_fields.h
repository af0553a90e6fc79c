#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tovrel {

// The two-character field at a 1-based character position, read as hexadecimal: the value
// of its leading hexadecimal digits (either case), 0 when it has none or lies beyond the end
// of the text. A field is never rejected; junk simply contributes its partial value.
std::uint8_t HexField(std::string_view text, std::size_t position);

inline constexpr std::size_t kDataflashBytesPerLine = 4;

// One line of a data-flash text file: "address,b0,b1,b2,b3".
struct DataflashLine {
    bool hasComma = false;
    // The number before the first comma: decimal, or hexadecimal after "&H"; blanks between
    // digits ignored; 0 when there is none.
    double address = 0;
    // The fields at characters 1, 4, 7 and 10 after the comma; 0 where the line ends early.
    std::array<std::uint8_t, kDataflashBytesPerLine> bytes{};
};

DataflashLine ReadDataflashLine(std::string_view line);

}  // namespace tovrel
