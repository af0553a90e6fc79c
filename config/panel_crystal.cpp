// The crystal entry: the three crystal choices, the frequency box and the rates they imply.
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

#include "config/configuration_panel.h"
#include "core/crystal.h"
#include "core/numbers.h"
#include "link/baud_rate.h"

namespace tovrel {
namespace {

constexpr double kMaxCrystalMHz = 1000.0;
constexpr double kKernelBaudDivisor = 1152.0;  // core clock per bit at the loader's rate
// Accepting the panel takes a PC rate only for the divisors 1 to 249 of 115200: its search
// runs over i = 1 to 250 and finds the rate for d at i = d + 1. A slower crystal keeps the
// rate the record had.
constexpr double kLastDivisor = 249.0;
constexpr double kNear14400Low = 13680.0;   // 14400 - 5 %
constexpr double kNear14400High = 15120.0;  // 14400 + 5 %
constexpr std::int32_t k14400 = 14400;
constexpr const char* kFallbackFrequency = "11.059";

// The shortest plain decimal text of a number: "11.0592", "0.032768", "20".
std::string PlainDecimal(double value) {
    if (value == 0) return "0";
    char buffer[400];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return error == std::errc{} ? std::string(buffer, end) : std::string("0");
}

}  // namespace

double ConfigurationPanel::FrequencyValue() const { return LeadingNumber(FrequencyTextbox.text); }

void ConfigurationPanel::XtalButton_Click(int Index) {
    ChangeScope scope(*this);
    if (Index == kStandardCrystal || Index == kWatchCrystal) {
        PCBaudrateTextbox.text = std::to_string(kBootBaudrate);
        KernelBaudrateTextbox.text = std::to_string(kBootBaudrate);
    } else if (Index == kOtherCrystal) {
        FrequencyTextbox.enabled = true;
        FrequencyTextbox_LostFocus();
    }
}

void ConfigurationPanel::FrequencyTextbox_Click() { Select(Option::XtalButton, kOtherCrystal); }

void ConfigurationPanel::FrequencyTextbox_LostFocus() {
    ChangeScope scope(*this);
    const double f = LeadingNumber(FrequencyTextbox.text);
    FrequencyTextbox.text = PlainDecimal(f);
    if (f <= 0 || f >= kMaxCrystalMHz) return;
    const std::optional<std::int32_t> pcBaudrate = PcBaudrateForCrystal(f * kHzPerMHz);
    if (!pcBaudrate) {
        // So fast a crystal leaves no PC rate that matches (the divisor rounds to 0).
        ShowFrequencyInputError();
        return;
    }
    const double kernelBaudrate = RoundHalfEven(f * kHzPerMHz / kKernelBaudDivisor);
    KernelBaudrateTextbox.text = PlainDecimal(kernelBaudrate);
    PCBaudrateTextbox.text = std::to_string(*pcBaudrate);
    if (f == kTwentyMHz) {
        m_settings.PCBaudrate = kBootBaudrate;
        PCBaudrateTextbox.text = KernelBaudrateTextbox.text = std::to_string(kBootBaudrate);
    }
    if (f < kNoFastRateBelowMHz) m_settings.FastBaudrateOption = false;
    // The 14400 rule belongs to leaving the box only. Accepting the panel recomputes the PC
    // rate from the crystal without it, so a kernel rate near 14400 puts the PC at 14400 only
    // until the panel is accepted; the program has always worked so, and it stays.
    const double shownKernel = LeadingNumber(KernelBaudrateTextbox.text);
    if (shownKernel > kNear14400Low && shownKernel < kNear14400High) {
        m_settings.PCBaudrate = k14400;
    }
}

void ConfigurationPanel::ShowFrequencyInputError() {
    ShowMessage(FrequencyInputErrorMessage(FrequencyTextbox.text));
    FrequencyTextbox.text = kFallbackFrequency;
}

bool ConfigurationPanel::UpdateCrystalData() {
    Settings& s = m_settings;
    if (XtalButton.selected == kStandardCrystal) {
        XtalButton.enabled[kStandardCrystal] = XtalButton.enabled[kOtherCrystal] = true;
        s.XTAL = kStandardCrystal;
        s.PCBaudrate = kBootBaudrate;
        s.fcore = kStandardCrystalHz;
        XtalButton.enabled[kWatchCrystal] = false;
    } else if (XtalButton.selected == kWatchCrystal) {
        XtalButton.enabled[kWatchCrystal] = true;
        s.XTAL = kWatchCrystal;
        s.PCBaudrate = kBootBaudrate;
    } else if (XtalButton.selected == kOtherCrystal) {
        s.XTAL = kOtherCrystal;
        return UpdateOtherCrystalData();
    }
    return true;
}

// Each step that fails shows the input error once, puts the fallback frequency into the box
// and leaves its own result unchanged; the steps after it go on with the fallback text.
bool ConfigurationPanel::UpdateOtherCrystalData() {
    Settings& s = m_settings;
    bool reverted = false;
    auto fail = [&] {
        if (!reverted) ShowFrequencyInputError();
        reverted = true;
    };
    const std::optional<double> typed = WholeDecimalNumber(FrequencyTextbox.text);
    if (!typed) {
        fail();
    } else if (*typed == 0) {
        ShowMessage(InvalidCrystalFrequencyMessage());
        return false;
    }
    const double hz =
        RoundHalfEven(WholeDecimalNumber(FrequencyTextbox.text).value_or(0) * kHzPerMHz);
    if (hz < std::numeric_limits<std::int32_t>::min() ||
        hz > std::numeric_limits<std::int32_t>::max()) {
        fail();
    } else {
        s.fcore = static_cast<std::int32_t>(hz);
    }
    // No crystal, or one so fast that the divisor rounds to 0, is an arithmetic failure.
    const double d = s.fcore == 0 ? 0.0 : CrystalDivisor(s.fcore);
    if (d == 0) {
        fail();
    } else if (d >= 1 && d <= kLastDivisor) {
        s.PCBaudrate = *PcBaudrateForCrystal(s.fcore);
        PCBaudrateTextbox.text = std::to_string(s.PCBaudrate);
    }
    if (LeadingNumber(FrequencyTextbox.text) == kTwentyMHz) {
        s.PCBaudrate = kBootBaudrate;
        PCBaudrateTextbox.text = std::to_string(kBootBaudrate);
    }
    return true;
}

}  // namespace tovrel
