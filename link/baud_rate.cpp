#include "link/baud_rate.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "core/crystal.h"
#include "core/numbers.h"
#include "core/user_texts.h"
#include "link/loader_frame.h"

namespace tovrel {
namespace {

// 115200 baud times the 1152 crystal cycles per bit of the boot loader's slow rate.
constexpr double kCrystalBaudProduct = 132710400.0;
constexpr std::int32_t kSlowestCoreForTimer3 = 3686400;
constexpr double kTimer3ClocksPerBit = 32.0;
constexpr double kTimer3FractionBase = 64.0;
constexpr int kTimer3DividerLimit = 127;
constexpr int kTimer3EnableBit = 128;
constexpr int kByteLimit = 255;
// The pair for 9600 baud on a 20 MHz crystal, whatever the profile says.
constexpr std::uint8_t kT3Con9600At20MHz = 0x86;
constexpr std::uint8_t kT3Fd9600At20MHz = 0x01;
// The rates of the Windows rate table and the faster ones UART drivers offer beside it.
constexpr std::array<std::int64_t, 19> kStandardRates{
    110,   300,   600,   1200,   2400,   4800,   9600,   14400,  19200, 28800,
    38400, 56000, 57600, 115200, 128000, 230400, 256000, 460800, 921600};
constexpr std::int64_t kStandardRatePercent = 1;

// Switches the device with 'B' and the given timer pair; true when it answered 06.
bool SendBaudrateFrame(Link& link, std::uint8_t t3con, std::uint8_t t3fd,
                       AfterStop afterStop = AfterStop::Withheld) {
    const std::array<std::uint8_t, 2> payload{t3con, t3fd};
    if (SendAndAcknowledge(link, BuildLoaderFrame(kCmdBaudRate, payload), afterStop)) return true;
    // A port that failed is reported by the command that ran on it, once.
    if (link.port.LineError().empty()) ShowMessage(link.host, ChangeBaudrateErrorMessage());
    return false;
}

// The device answered at the old rate; now the PC side follows.
bool ReopenAtPCBaudrate(Link& link) {
    CloseCommPort(link);
    return OpenCommPort(link);
}

bool SwitchToFast(Link& link) {
    Settings& s = link.settings;
    if (!s.FastBaudrateOption) return false;
    if (!SendBaudrateFrame(link, s.T3CON, s.T3FD)) return false;
    s.SavedPCBaudrate = s.PCBaudrate;
    s.PCBaudrate = s.FastBaudrate;
    return ReopenAtPCBaudrate(link);
}

bool SwitchBackTo9600(Link& link) {
    Settings& s = link.settings;
    if (!s.FastBaudrateOption) return false;
    // The box's text, whichever crystal is chosen: a 20 MHz text left behind in the box
    // switches back with the 20 MHz pair even with the standard crystal selected.
    const bool twentyMHz = LeadingNumber(s.FrequencyText) == kTwentyMHz;
    const std::uint8_t t3con = twentyMHz ? kT3Con9600At20MHz : s.T3CON9600;
    const std::uint8_t t3fd = twentyMHz ? kT3Fd9600At20MHz : s.T3FD9600;
    // Also after a stop: a device left at the fast rate would not answer the next program.
    if (!SendBaudrateFrame(link, t3con, t3fd, AfterStop::Sent)) return false;
    s.PCBaudrate = s.SavedPCBaudrate;
    return ReopenAtPCBaudrate(link);
}

}  // namespace

double RoundToValue(double nValue, double nCeiling, bool RoundUp) {
    if (std::isnan(nValue) || nCeiling == 0 || !std::isfinite(nCeiling)) return 0;
    const double q = nValue / nCeiling + (RoundUp ? 0.5 : -0.5);
    const double w = std::trunc(q);
    const double r = RoundHalfEven(q - w);
    const double result = (w + r) * nCeiling;
    return std::isfinite(result) ? result : 0;
}

std::int32_t StandardBaudRate(std::int32_t baudRate) {
    for (const std::int64_t rate : kStandardRates) {
        // The rates lie further apart than 2 %, so at most one is this close.
        if (std::abs(baudRate - rate) * 100 <= kStandardRatePercent * rate) {
            return static_cast<std::int32_t>(rate);
        }
    }
    return baudRate;
}

std::optional<std::int32_t> PcBaudrateForCrystal(double fcoreHz) {
    if (!(fcoreHz > 0) || !std::isfinite(fcoreHz)) return std::nullopt;
    const double d = CrystalDivisor(fcoreHz);
    // From 265.4208 MHz up the divider rounds to 0: no rate goes with such a crystal.
    if (d == 0) return std::nullopt;
    return static_cast<std::int32_t>(RoundToValue(kTopBaudrate / d, 1, false));
}

double CrystalDivisor(double fcoreHz) { return RoundHalfEven(kCrystalBaudProduct / fcoreHz); }

bool CalcT3Values(Settings& s) {
    s.T3CON = 0;
    s.T3FD = 0;
    if (s.fcore < kSlowestCoreForTimer3 || s.FastBaudrate <= 0) return false;
    const double fcore = s.fcore;
    const double baud = s.FastBaudrate;
    const double div = std::trunc(std::log(fcore / (kTimer3ClocksPerBit * baud)) / std::log(2.0));
    if (div < 0 || div > kTimer3DividerLimit) return false;
    const double fd = RoundHalfEven(2 * fcore / (std::pow(2.0, div) * baud) - kTimer3FractionBase);
    // A value that does not fit its byte would switch the device to some other rate.
    if (fd < 0 || fd > kByteLimit) return false;
    s.T3CON = static_cast<std::uint8_t>(static_cast<int>(div) + kTimer3EnableBit);
    s.T3FD = static_cast<std::uint8_t>(fd);
    return true;
}

bool ChangeBaudrate(Link& link, std::int32_t& Baudrate) {
    bool result = false;
    if (Baudrate == link.settings.FastBaudrate) result = SwitchToFast(link);
    // A separate test: with FastBaudrate 9600 both switches run.
    if (Baudrate == kBootBaudrate) result = SwitchBackTo9600(link);
    return result;
}

}  // namespace tovrel
