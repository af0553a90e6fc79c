#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tovrel {

// Rounds to the nearest integer, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// The value of the number a text begins with, read the way the program reads every typed or
// stored number: leading blanks are skipped and blanks between the digits are ignored;
// decimal digits with one point and an optional exponent, or "&H" followed by hexadecimal
// digits (or "&O" and octal ones); reading stops at the first other character; 0 when the
// text does not begin with a number.
double LeadingNumber(std::string_view text);

// The value of a text that is a decimal number as a whole (blanks around it allowed, an
// optional sign, digits with at most one point); empty for anything else, the empty text too.
std::optional<double> WholeDecimalNumber(std::string_view text);

// The text without the spaces and tabs around it.
std::string_view TrimBlanks(std::string_view text);

// True when the text begins with a number in the sense of LeadingNumber.
bool BeginsWithNumber(std::string_view text);

// The value of the hexadecimal digits (either case) a text begins with, blanks between them
// skipped; 0 when there are none. Sets overflow when the digits do not fit in 32 bits.
std::uint32_t LeadingHex(std::string_view text, bool* overflow = nullptr);

}  // namespace tovrel
