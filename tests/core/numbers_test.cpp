#include "core/numbers.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace tovrel {
namespace {

TEST(Numbers, HalvesGoToTheEvenNeighbour) {
    for (auto [value, rounded] : {std::pair{0.5, 0.0}, {1.5, 2.0}, {2.5, 2.0}, {-2.5, -2.0},
                                  {2.5000001, 3.0}, {345600.0, 345600.0}})
        EXPECT_EQ(RoundHalfEven(value), rounded) << value;
}

// The text, the number it begins with, and whether it begins with one at all.
using NumberCase = std::tuple<std::string, double, bool>;
class Leading : public ::testing::TestWithParam<NumberCase> {};

TEST_P(Leading, ReadsTheNumberATextBeginsWith) {
    const auto& [text, value, isNumber] = GetParam();
    EXPECT_DOUBLE_EQ(LeadingNumber(text), value);
    EXPECT_EQ(BeginsWithNumber(text), isNumber);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Numbers, Leading, ::testing::Values(
    NumberCase{"11.0592 MHz", 11.0592, true}, NumberCase{"  1 2 3", 123, true},
    NumberCase{"12.5.6", 12.5, true}, NumberCase{".5", 0.5, true}, NumberCase{"-20", -20, true},
    NumberCase{"+7x", 7, true}, NumberCase{"1e3", 1000, true}, NumberCase{"1D2", 100, true},
    NumberCase{"2e", 2, true}, NumberCase{"1,000", 1, true}, NumberCase{"&HFF", 255, true},
    NumberCase{"&o17", 15, true}, NumberCase{"&H", 0, false}, NumberCase{"&Q1", 0, false},
    NumberCase{"MHz", 0, false}, NumberCase{"", 0, false}, NumberCase{"-", 0, false},
    NumberCase{".", 0, false}, NumberCase{"e5", 0, false}));
// clang-format on

}  // namespace
}  // namespace tovrel
