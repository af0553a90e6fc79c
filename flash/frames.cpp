#include "flash/frames.h"

#include <algorithm>

#include "core/bytes.h"
#include "link/loader_frame.h"

namespace tovrel {
namespace {

constexpr std::uint8_t kAddressUpperByte = 0x00;
constexpr std::size_t kAddressBytes = 3;
constexpr std::size_t kQuickHeaderSize = 3;

}  // namespace

std::array<std::uint8_t, 3> FrameAddress(std::uint16_t address) {
    return {kAddressUpperByte, HighByte(address), LowByte(address)};
}

std::vector<std::uint8_t> BuildCodeWriteFrame(const HexRecord& record) {
    const auto address = FrameAddress(static_cast<std::uint16_t>(record.address));
    std::vector<std::uint8_t> payload(address.begin(), address.end());
    payload.insert(payload.end(), record.data.begin(), record.data.end());
    return BuildLoaderFrame(kCmdWriteCode, payload);
}

std::vector<std::uint8_t> BuildDataWriteFrame(
    std::uint16_t address, const std::array<std::uint8_t, kDataflashBytesPerLine>& bytes) {
    std::array<std::uint8_t, kAddressBytes + kDataflashBytesPerLine> payload{};
    const auto frameAddress = FrameAddress(address);
    std::copy(frameAddress.begin(), frameAddress.end(), payload.begin());
    std::copy(bytes.begin(), bytes.end(), payload.begin() + kAddressBytes);
    return BuildLoaderFrame(kCmdWriteData, payload);
}

void BuildQuickPageFrame(std::uint8_t page, std::span<const std::uint8_t> data,
                         std::array<std::uint8_t, kQuickFrameSize>& frame) {
    frame[0] = kFrameStart1;
    frame[1] = kCmdQuickPage;
    frame[2] = page;
    std::copy(data.begin(), data.end(), frame.begin() + kQuickHeaderSize);
    // The checksum starts at the page number: 07 and 'Q' are not covered.
    frame.back() = ChecksumByte(std::span(frame).subspan(2, 1 + kPageSize));
}

std::vector<std::uint8_t> BuildVerifyPageFrame(std::uint8_t page) {
    const std::array<std::uint8_t, 1> payload{page};
    return BuildLoaderFrame(kCmdVerifyPage, payload);
}

}  // namespace tovrel
