#include "flash/device_control.h"

#include <array>

#include "core/user_texts.h"
#include "flash/frames.h"
#include "link/loader_frame.h"

namespace tovrel {
namespace {

constexpr std::uint16_t kSecurityUnlockAddress = 0x0000;
constexpr std::array<std::uint8_t, kDataflashBytesPerLine> kSecurityUnlockBytes{0xFF, 0xFF, 0xFF,
                                                                                0xFF};
constexpr std::int32_t kLastRunAddress = 0xFFFF;

}  // namespace

bool SecurityBitsFunction(Link& link, std::int16_t& Securitybits) {
    // The data write of FF FF FF FF at 0000 comes first; any answer to it lets the security
    // frame go out.
    if (!WriteMessage(link, BuildDataWriteFrame(kSecurityUnlockAddress, kSecurityUnlockBytes)) ||
        ReadReply(link, 1) == 0) {
        return false;
    }
    const std::array<std::uint8_t, 1> payload{static_cast<std::uint8_t>(Securitybits)};
    return SendAndAcknowledge(link, BuildLoaderFrame(kCmdSecurity, payload));
}

bool BootloadFunction(Link& link, std::uint8_t data1) {
    if (!link.settings.BootloadOption) return false;
    const std::array<std::uint8_t, 1> payload{data1};
    return SendAndAcknowledge(link, BuildLoaderFrame(kCmdBootload, payload));
}

bool Run(Link& link) {
    const std::int32_t address = link.settings.RunAddress;
    // Beyond the code flash, below 0, or beyond what the two address bytes hold: refused
    // before anything is sent.
    if (address > link.settings.CodeSize || address < 0 || address > kLastRunAddress) {
        ShowMessage(link.host, InvalidRunAddressMessage());
        return false;
    }
    return SendAndAcknowledge(
        link, BuildLoaderFrame(kCmdRun, FrameAddress(static_cast<std::uint16_t>(address))));
}

}  // namespace tovrel
