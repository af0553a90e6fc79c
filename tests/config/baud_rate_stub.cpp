// STAND-IN, delete at merge: the two pure baud-rate functions the panel needs, until the
// link library brings its own link/baud_rate.cpp.
#include <cmath>

#include "config/numbers.h"
#include "link/baud_rate.h"

namespace tovrel {

double RoundToValue(double nValue, double nCeiling, bool RoundUp) {
    if (std::isnan(nValue)) return 0;
    const double q = nValue / nCeiling + (RoundUp ? 0.5 : -0.5);
    const double w = std::trunc(q);
    return (w + RoundHalfEven(q - w)) * nCeiling;
}

std::optional<std::int32_t> PcBaudrateForCrystal(double fcoreHz) {
    if (!(fcoreHz > 0)) return std::nullopt;
    const double d = RoundHalfEven(132710400.0 / fcoreHz);
    if (d == 0) return std::nullopt;
    return static_cast<std::int32_t>(RoundToValue(115200.0 / d, 1, false));
}

}  // namespace tovrel
