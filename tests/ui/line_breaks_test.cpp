#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/look.h"

namespace tovrel {
namespace {

struct BreaksCase {
    std::vector<std::string> pieces;
    std::string expected;
};

class UnixLineBreaksTest : public ::testing::TestWithParam<BreaksCase> {};

TEST_P(UnixLineBreaksTest, OneLineEndPerCarriageReturnLineFeed) {
    bool lastWasCarriageReturn = false;
    std::string joined;
    for (const std::string& piece : GetParam().pieces) {
        joined += UnixLineBreaks(piece, lastWasCarriageReturn);
    }
    EXPECT_EQ(joined, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, UnixLineBreaksTest,
    ::testing::Values(BreaksCase{{"RESETTING PART: OK\r\n"}, "RESETTING PART: OK\n"},
                      BreaksCase{{"A\r", "\nB\r\n"}, "A\nB\n"},
                      BreaksCase{{"A\r\n\r\n", "B"}, "A\n\nB"}, BreaksCase{{"A\rB\nC"}, "A\nB\nC"},
                      BreaksCase{{"A\r", "B"}, "A\nB"}));

}  // namespace
}  // namespace tovrel
