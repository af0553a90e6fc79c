#include "image/text_fields.h"

#include "core/numbers.h"

namespace tovrel {
namespace {

constexpr std::size_t kHexFieldWidth = 2;
// Each data byte of a data-flash line takes two digits and one separator.
constexpr std::size_t kDataflashFieldStep = 3;

}  // namespace

std::uint8_t HexField(std::string_view text, std::size_t position) {
    if (position == 0 || position > text.size()) return 0;
    // Two hexadecimal digits never overflow a byte.
    return static_cast<std::uint8_t>(LeadingHex(text.substr(position - 1, kHexFieldWidth)));
}

DataflashLine ReadDataflashLine(std::string_view line) {
    DataflashLine result;
    const std::size_t comma = line.find(',');
    if (comma == std::string_view::npos) return result;
    result.hasComma = true;
    result.address = LeadingNumber(line.substr(0, comma));
    const std::string_view bytes = line.substr(comma + 1);
    for (std::size_t i = 0; i < kDataflashBytesPerLine; ++i) {
        result.bytes[i] = HexField(bytes, 1 + i * kDataflashFieldStep);
    }
    return result;
}

}  // namespace tovrel
