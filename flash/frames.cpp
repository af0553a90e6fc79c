#include "flash/frames.h"

#include <algorithm>

#include "link/loader_frame.h"

namespace tovrel {
namespace {

// Addresses go out as 24 bits whose upper byte is always 0.
constexpr std::uint8_t kAddressUpperByte = 0x00;
constexpr std::size_t kAddressBytes = 3;
constexpr unsigned kByteBits = 8;
constexpr unsigned kByteMask = 0xFF;
constexpr std::size_t kQuickHeaderSize = 3;

}  // namespace

std::vector<std::uint8_t> BuildCodeWriteFrame(const HexRecord& record) {
    std::vector<std::uint8_t> payload{kAddressUpperByte,
                                      static_cast<std::uint8_t>(record.address >> kByteBits),
                                      static_cast<std::uint8_t>(record.address & kByteMask)};
    payload.insert(payload.end(), record.data.begin(), record.data.end());
    return BuildLoaderFrame(kCmdWriteCode, payload);
}

std::vector<std::uint8_t> BuildDataWriteFrame(
    std::uint16_t address, const std::array<std::uint8_t, kDataflashBytesPerLine>& bytes) {
    const std::array<std::uint8_t, kAddressBytes + kDataflashBytesPerLine> payload{
        kAddressUpperByte,
        static_cast<std::uint8_t>(address >> kByteBits),
        static_cast<std::uint8_t>(address & kByteMask),
        bytes[0],
        bytes[1],
        bytes[2],
        bytes[3]};
    return BuildLoaderFrame(kCmdWriteData, payload);
}

void BuildQuickPageFrame(std::uint8_t page, std::span<const std::uint8_t> data,
                         std::array<std::uint8_t, kQuickFrameSize>& frame) {
    frame[0] = kFrameStart1;
    frame[1] = kCmdQuickPage;
    frame[2] = page;
    std::copy(data.begin(), data.end(), frame.begin() + kQuickHeaderSize);
    // The checksum starts at the page number: 07 and 'Q' are not covered.
    frame.back() = LoaderChecksum(std::span(frame).subspan(2, 1 + kPageSize));
}

std::vector<std::uint8_t> BuildVerifyPageFrame(std::uint8_t page) {
    const std::array<std::uint8_t, 1> payload{page};
    return BuildLoaderFrame(kCmdVerifyPage, payload);
}

}  // namespace tovrel
