#include "link/device_profile.h"

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "core/crystal.h"
#include "core/numbers.h"
#include "core/options.h"
#include "core/text_file.h"
#include "core/user_texts.h"
#include "link/baud_rate.h"

namespace tovrel {
namespace {

constexpr int kCrystalLine = 12;
constexpr int kCoreClockLine = 13;
constexpr int kClkAdjustLine = 14;
constexpr int kBaudDivisorLimit = 250;
// The device's serial clock limit is 2 x fcore over 64 x ClkAdjust.
constexpr double kCoreClocksPerBit = 64.0;

using LineError = std::function<void(int line)>;

// The profile's lines, each cut to one text field; lines past the end read as empty.
class ProfileLines {
  public:
    explicit ProfileLines(std::vector<std::string> lines) : m_lines(std::move(lines)) {}
    std::string Next() { return m_next < m_lines.size() ? m_lines[m_next++] : std::string(); }

  private:
    std::vector<std::string> m_lines;
    std::size_t m_next = 0;
};

// Each line as one text field. The line end's CR is already gone; one that ends the file's
// last line is left to the number readers, which pass over it as a blank.
bool ReadProfileLines(const std::string& path, std::vector<std::string>& lines) {
    auto text = ReadTextLines(path);
    if (!text) return false;
    for (const std::string& line : *text) lines.emplace_back(TextField(line));
    return true;
}

// The value characters after the key, or nothing when the line does not begin with it.
std::optional<std::string_view> ValueAfter(std::string_view line, std::string_view key,
                                           std::size_t width) {
    if (!line.starts_with(key)) return std::nullopt;
    return line.substr(key.size(), width);
}

// Stores the line's number in field when the key is there and the value fits [low, high].
template <typename Field>
bool TakeNumber(std::string_view line, std::string_view key, std::size_t width, Field& field,
                double low = std::numeric_limits<Field>::min(),
                double high = std::numeric_limits<Field>::max()) {
    const auto value = ValueAfter(line, key, width);
    if (!value || !BeginsWithNumber(*value)) return false;
    const double number = RoundHalfEven(LeadingNumber(*value));
    if (number < low || number > high) return false;
    field = static_cast<Field>(number);
    return true;
}

bool TakeBoolean(std::string_view line, std::string_view key, bool& field) {
    const auto value = ValueAfter(line, key, std::string_view::npos);
    if (!value) return false;
    if (value->starts_with("True")) {
        field = true;
    } else if (value->starts_with("False")) {
        field = false;
    } else {
        return false;
    }
    return true;
}

void ReadSizesAndOptions(Settings& s, ProfileLines& in, const LineError& error) {
    if (!TakeNumber(in.Next(), "CodeSize = ", 5, s.CodeSize)) error(1);
    if (!TakeNumber(in.Next(), "DataSize = ", 4, s.DataSize)) error(2);
    if (!TakeBoolean(in.Next(), "QuickDownloadOption = ", s.QuickDownloadOption)) error(3);
    if (!TakeBoolean(in.Next(), "FastBaudrateOption = ", s.FastBaudrateOption)) error(4);
    if (!TakeBoolean(in.Next(), "SecurityBitsOption = ", s.SecurityBitsOption)) error(5);
    if (!TakeBoolean(in.Next(), "BootloadOption = ", s.BootloadOption)) error(6);
    if (!TakeBoolean(in.Next(), "VerifyAfterDownloadOption = ", s.VerifyAfterDownloadOption)) {
        error(7);
    }
    if (!TakeNumber(in.Next(), "T3CON = ", 3, s.T3CON)) error(8);
    if (!TakeNumber(in.Next(), "T3FD = ", 3, s.T3FD)) error(9);
    if (!TakeNumber(in.Next(), "T3CON9600 = ", 3, s.T3CON9600)) error(10);
    if (!TakeNumber(in.Next(), "T3FD9600 = ", 3, s.T3FD9600)) error(11);
}

// The user's own crystal: the clock comes from the frequency box, not from the profile.
void TakeOtherCrystal(Link& link) {
    Settings& s = link.settings;
    const double mhz = LeadingNumber(s.FrequencyText);
    const double hz = RoundHalfEven(mhz * kHzPerMHz);
    if (!(hz >= std::numeric_limits<std::int32_t>::min() &&
          hz <= std::numeric_limits<std::int32_t>::max())) {
        return;
    }
    s.fcore = static_cast<std::int32_t>(hz);
    // A crystal without a matching PC rate leaves the rate the device was reached at.
    if (const auto pcBaudrate = PcBaudrateForCrystal(s.fcore)) s.PCBaudrate = *pcBaudrate;
    if (mhz == kTwentyMHz) s.PCBaudrate = kBootBaudrate;
}

void ReadCrystal(Link& link, ProfileLines& in, const LineError& error) {
    Settings& s = link.settings;
    const std::string crystalLine = in.Next();
    if (!crystalLine.starts_with("XTAL = ")) {
        // The clock line is skipped unread: the ClkAdjust step then meets its text.
        error(kCrystalLine);
        return;
    }
    if (s.XTAL == kOtherCrystal) {
        in.Next();
        TakeOtherCrystal(link);
        return;
    }
    s.PCBaudrate = kBootBaudrate;
    if (!TakeNumber(crystalLine, "XTAL = ", 1, s.XTAL, 0, 9)) error(kCrystalLine);
    if (!TakeNumber(in.Next(), "fcore = ", 8, s.fcore)) error(kCoreClockLine);
}

// The largest 115200 / i the device clock allows; the clock limit itself when none does.
std::int32_t FastBaudrateFor(std::int32_t fcore, std::int16_t clkAdjust) {
    const double limit = RoundHalfEven(2.0 * fcore / (kCoreClocksPerBit * clkAdjust));
    for (int i = 1; i <= kBaudDivisorLimit; ++i) {
        if (limit >= kTopBaudrate / i)
            return static_cast<std::int32_t>(RoundHalfEven(kTopBaudrate / i));
    }
    return static_cast<std::int32_t>(limit);
}

void ReadClkAdjust(Settings& s, ProfileLines& in, const LineError& error) {
    s.FastBaudrate = static_cast<std::int32_t>(kTopBaudrate);
    // ClkAdjust divides the clock: 0 is as wrong as a letter.
    if (!TakeNumber(in.Next(), "ClkAdjust = ", 1, s.ClkAdjust, 1, 9)) {
        error(kClkAdjustLine);
        return;
    }
    s.FastBaudrate = FastBaudrateFor(s.fcore, s.ClkAdjust);
}

}  // namespace

bool LoadDeviceProfile(Link& link, const std::string& path) {
    std::vector<std::string> lines;
    if (!ReadProfileLines(path, lines)) {
        ShowMessage(link.host, CannotReadProfileMessage(path));
        return false;
    }
    ProfileLines in(std::move(lines));
    const LineError error = [&](int line) {
        ShowMessage(link.host, ProfileLineErrorMessage(line, path));
    };
    Settings& s = link.settings;
    ReadSizesAndOptions(s, in, error);
    ReadCrystal(link, in, error);
    ReadClkAdjust(s, in, error);
    if (s.FastBaudrateOption && s.T3CON == 0) CalcT3Values(s);
    return true;
}

}  // namespace tovrel
