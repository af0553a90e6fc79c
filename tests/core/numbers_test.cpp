#include "core/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tovrel {
namespace {

class HalfEven : public ::testing::TestWithParam<std::pair<double, double>> {};

TEST_P(HalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Numbers, HalfEven,
                         ::testing::Values(std::pair{0.5, 0.0}, std::pair{1.5, 2.0},
                                           std::pair{2.5, 2.0}, std::pair{3.5, 4.0},
                                           std::pair{2.5000001, 3.0}, std::pair{-0.5, 0.0},
                                           std::pair{-1.5, -2.0}, std::pair{-2.5, -2.0},
                                           std::pair{345600.0, 345600.0}));

struct NumberCase {
    std::string text;
    double value;
    bool isNumber;
};

class Leading : public ::testing::TestWithParam<NumberCase> {};

TEST_P(Leading, ReadsTheNumberATextBeginsWith) {
    EXPECT_DOUBLE_EQ(LeadingNumber(GetParam().text), GetParam().value);
    EXPECT_EQ(BeginsWithNumber(GetParam().text), GetParam().isNumber);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, Leading,
    ::testing::Values(
        NumberCase{"11.0592", 11.0592, true}, NumberCase{"11.0592 MHz", 11.0592, true},
        NumberCase{"  1 2 3", 123, true}, NumberCase{"12.5.6", 12.5, true},
        NumberCase{".5", 0.5, true}, NumberCase{"-20", -20, true}, NumberCase{"+7x", 7, true},
        NumberCase{"1e3", 1000, true}, NumberCase{"1D2", 100, true}, NumberCase{"2e", 2, true},
        NumberCase{"1,000", 1, true}, NumberCase{"&HFF", 255, true}, NumberCase{"&o17", 15, true},
        NumberCase{"&H", 0, false}, NumberCase{"&Q1", 0, false}, NumberCase{"MHz", 0, false},
        NumberCase{"", 0, false}, NumberCase{"-", 0, false}, NumberCase{".", 0, false},
        NumberCase{"e5", 0, false}));

TEST(Numbers, LeadingHexReadsDigitsOfEitherCaseAndFlagsOverflow) {
    bool overflow = true;
    EXPECT_EQ(LeadingHex("1a F0:zz", &overflow), 0x1AF0u);
    EXPECT_FALSE(overflow);
    EXPECT_EQ(LeadingHex("g1"), 0u);
    EXPECT_EQ(LeadingHex("FFFFFFFF", &overflow), 0xFFFFFFFFu);
    EXPECT_FALSE(overflow);
    LeadingHex("100000000", &overflow);
    EXPECT_TRUE(overflow);
}

}  // namespace
}  // namespace tovrel
