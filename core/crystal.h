#pragma once

#include <cstdint>

namespace tovrel {

inline constexpr double kHzPerMHz = 1000000.0;
inline constexpr std::int32_t kStandardCrystalHz = 11059200;

// A 20 MHz crystal takes fixed rates: the PC stays at 9600 and the device gets its own pair.
// Every test for it compares the number read from the frequency box with exactly 20.
inline constexpr double kTwentyMHz = 20.0;

// Two thresholds for slow crystals, each kept where the program has always drawn it:
// below this one the device reaches no fast rate, so leaving the frequency box with such a
// crystal turns the fast-rate option off;
inline constexpr double kNoFastRateBelowMHz = 2.0;
// below this one the download sequence keeps the boot rate and the standard download,
// whatever the device profile offers.
inline constexpr double kBootRateDownloadBelowMHz = 3.0;

}  // namespace tovrel
