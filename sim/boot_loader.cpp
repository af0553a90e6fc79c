#include "sim/boot_loader.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tovrel::sim {
namespace {

constexpr std::uint8_t kBlank = ' ';
constexpr std::uint8_t kTimerEnabled = 0x80;
constexpr std::uint8_t kTimerDivMask = 0x07;
constexpr long kTimerDividerBase = 64;
constexpr std::uint8_t kBootloadOn = 0xFE;
constexpr std::uint8_t kBootloadOff = 0xFF;
constexpr std::size_t kPayloadOffset = 4;
constexpr std::size_t kQuickPageOffset = 2;
constexpr std::size_t kQuickDataOffset = 3;
// Payload sizes: addresses travel as 00, high, low.
constexpr std::size_t kAddressSize = 3;
constexpr std::size_t kRatePayload = 2;
constexpr std::size_t kDataPayload = kAddressSize + kDataPageSize;
constexpr std::size_t kBytePayload = 1;
// The start rate is the top rate divided by how often the crystal goes into 132.7104 MHz
// (12 times 11.0592 MHz, which therefore starts at 9600).
constexpr long kTopRate = 115200;
constexpr long kCrystalRateProduct = 132710400;
constexpr long kTwentyMegahertz = 20000000;

LoaderReply Refuse() { return LoaderReply{{kNak}}; }
LoaderReply Done(DeviceWork work = DeviceWork::None, bool changed = false) {
    return LoaderReply{{kAck}, work, 0, false, changed};
}

// 00, high, low; the loader only knows 16-bit addresses.
bool ReadAddress(std::span<const std::uint8_t> payload, std::size_t& address) {
    if (payload.size() < kAddressSize || payload[0] != 0) return false;
    address = static_cast<std::size_t>(payload[1]) << 8 | payload[2];
    return true;
}

// Whole-number division, a half going to the even neighbour.
long DivideHalfEven(long numerator, long denominator) {
    long quotient = numerator / denominator;
    const long twiceRemainder = 2 * (numerator % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && quotient % 2 != 0)) {
        ++quotient;
    }
    return quotient;
}

}  // namespace

long BaudFromTimer(long coreClock, std::uint8_t t3con, std::uint8_t t3fd) {
    if ((t3con & kTimerEnabled) == 0) return 0;
    const double divisor = std::ldexp(1.0, t3con & kTimerDivMask) * (t3fd + kTimerDividerBase);
    return std::lround(2.0 * static_cast<double>(coreClock) / divisor);
}

// This is the chip's own rate. The host's figure for a crystal is rounded down (9599 where
// the chip runs at 9600), well inside the line's tolerance; the host also pulls a rate
// between 13 680 and 15 120 to 14400, and 115200 / d for a whole d lands there only at
// d = 8, which is 14400 already. A crystal above 265 MHz, where d rounds to 0, counts as 1.
long StartRate(long coreClock) {
    if (coreClock == kTwentyMegahertz) return kBootRate;
    const long divisor = std::max(1L, DivideHalfEven(kCrystalRateProduct, coreClock));
    return std::max(1L, DivideHalfEven(kTopRate, divisor));
}

BootLoader::BootLoader(FlashMemory& flash, std::string idText, long coreClock)
    : m_flash(flash), m_idText(idText.begin(), idText.end()), m_coreClock(coreClock) {
    m_idText.resize(kIdTextSize, kBlank);
}

LoaderReply BootLoader::Handle(const Message& message) {
    if (message.kind == MessageKind::Reset) return LoaderReply{m_idText};
    if (!message.Sound()) return Refuse();
    if (message.kind == MessageKind::QuickPage) return WritePage(message.bytes);
    const std::span<const std::uint8_t> frame(message.bytes);
    return Dispatch(message.Letter(),
                    frame.subspan(kPayloadOffset, frame.size() - kPayloadOffset - 1));
}

LoaderReply BootLoader::Dispatch(std::uint8_t letter, std::span<const std::uint8_t> payload) {
    const bool none = payload.empty();
    const bool oneByte = payload.size() == kBytePayload;
    switch (letter) {
        case kEraseCodeLetter:
            return none ? Erase(false) : Refuse();
        case kEraseAllLetter:
            return none ? Erase(true) : Refuse();
        case kBaudRateLetter:
            return payload.size() == kRatePayload ? SetRate(payload) : Refuse();
        case kWriteCodeLetter:
            return WriteRecord(payload);
        case kVerifyLetter:
            return oneByte ? ReadPage(payload) : Refuse();
        case kWriteDataLetter:
            return payload.size() == kDataPayload ? WriteData(payload) : Refuse();
        case kSecurityLetter:
            return oneByte ? SetSecurity(payload) : Refuse();
        case kBootloadLetter:
            return oneByte ? SetBootload(payload) : Refuse();
        case kRunLetter:
            return payload.size() == kAddressSize ? Run(payload) : Refuse();
        default:
            return Refuse();
    }
}

LoaderReply BootLoader::Erase(bool withData) {
    if (withData) {
        m_flash.EraseCodeAndData();
    } else {
        m_flash.EraseCode();
    }
    return Done(DeviceWork::Erase, true);
}

LoaderReply BootLoader::SetRate(std::span<const std::uint8_t> payload) {
    const long rate = BaudFromTimer(m_coreClock, payload[0], payload[1]);
    if (rate <= 0) return Refuse();
    LoaderReply reply = Done();
    reply.newRate = rate;
    return reply;
}

LoaderReply BootLoader::WriteRecord(std::span<const std::uint8_t> payload) {
    std::size_t address = 0;
    if (!ReadAddress(payload, address)) return Refuse();
    if (!m_flash.ProgramCode(address, payload.subspan(kAddressSize))) return Refuse();
    return Done(DeviceWork::RecordWrite, true);
}

LoaderReply BootLoader::WritePage(const Bytes& frame) {
    const std::size_t page = frame[kQuickPageOffset];
    const std::span<const std::uint8_t> data(frame.data() + kQuickDataOffset, kCodePageSize);
    if (!m_flash.ProgramCode(page * kCodePageSize, data)) return Refuse();
    return Done(DeviceWork::PageWrite, true);
}

// 256 page bytes and their checksum (the byte that makes the page sum to 0 mod 256).
LoaderReply BootLoader::ReadPage(std::span<const std::uint8_t> payload) {
    Bytes bytes = m_flash.ReadCodePage(payload[0]);
    const unsigned sum = std::accumulate(bytes.begin(), bytes.end(), 0u);
    bytes.push_back(
        static_cast<std::uint8_t>((kChecksumModulus - sum % kChecksumModulus) % kChecksumModulus));
    return LoaderReply{std::move(bytes)};
}

LoaderReply BootLoader::WriteData(std::span<const std::uint8_t> payload) {
    std::size_t page = 0;
    if (!ReadAddress(payload, page)) return Refuse();
    if (!m_flash.ProgramDataPage(page, payload.subspan<kAddressSize, kDataPageSize>())) {
        return Refuse();
    }
    return Done(DeviceWork::RecordWrite, true);
}

LoaderReply BootLoader::SetSecurity(std::span<const std::uint8_t> payload) {
    m_flash.SetSecurityBits(payload[0]);
    return Done(DeviceWork::RecordWrite, true);
}

LoaderReply BootLoader::SetBootload(std::span<const std::uint8_t> payload) {
    if (payload[0] != kBootloadOn && payload[0] != kBootloadOff) return Refuse();
    m_flash.SetBootloadMode(payload[0]);
    return Done(DeviceWork::RecordWrite, true);
}

LoaderReply BootLoader::Run(std::span<const std::uint8_t> payload) {
    std::size_t address = 0;
    if (!ReadAddress(payload, address)) return Refuse();
    LoaderReply reply = Done();
    reply.startsUserCode = true;
    return reply;
}

}  // namespace tovrel::sim
