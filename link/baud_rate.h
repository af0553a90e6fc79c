#pragma once

#include <cstdint>
#include <optional>

#include "core/settings.h"
#include "link/link.h"

namespace tovrel {

inline constexpr std::int32_t kBootBaudrate = 9600;
// The fastest rate of the boot loader; the fast rate is this or a whole fraction of it.
inline constexpr double kTopBaudrate = 115200.0;

// Rounds nValue to a multiple of nCeiling: up with RoundUp, else down, where an exact
// multiple comes out one step lower ((9600, 1, false) gives 9599). NaN gives 0. The step
// lower is kept on purpose: every PC rate has always been taken with it (an 11.0592 MHz
// crystal puts the PC at 9599 baud, not 9600), and a UART never notices 0.01 %.
double RoundToValue(double nValue, double nCeiling, bool RoundUp);

// The PC baud rate that matches a device clocked by a crystal of fcoreHz:
// RoundToValue(115200 / d, 1, false) with d = 132710400 / fcoreHz rounded half to even.
// Empty when d rounds to 0 (a crystal of 265.4208 MHz or more) or fcoreHz is not positive.
std::optional<std::int32_t> PcBaudrateForCrystal(double fcoreHz);

// d of PcBaudrateForCrystal: 132710400 / fcoreHz rounded half to even, sign and all.
double CrystalDivisor(double fcoreHz);

// The rate a PC's serial driver is given for baudRate on Windows: the standard rate within
// 1 % of it (9599 and 14399 become 9600 and 14400), where drivers of plain UARTs cannot do
// better anyway; any other rate as it is.
std::int32_t StandardBaudRate(std::int32_t baudRate);

// Sets T3CON and T3FD for FastBaudrate at fcore. False, with both 0, when the clock is too
// slow for the computation or a value would not fit its byte.
bool CalcT3Values(Settings& settings);

// Switches the device with 'B' and then the PC to Baudrate (FastBaudrate, or 9600 for the
// way back). Shows "Error encountered while changing baudrate" when the device does not
// acknowledge.
bool ChangeBaudrate(Link& link, std::int32_t& Baudrate);

}  // namespace tovrel
