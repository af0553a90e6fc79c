#include "workflow/main_window_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workflow/status_texts.h"

namespace tovrel {
namespace {

TEST(MainWindowModel, TwoAppendsWithoutLineEndMakeOneLine) {
    MainWindowModel model;
    std::vector<std::string> appended;
    model.onStatusAppended = [&](const std::string& text) { appended.push_back(text); };
    model.AppendStatus("DOWNLOADING CODE [");
    model.AppendStatus("D:\\work\\app.hex");
    model.AppendStatus("]:");
    model.AppendStatus("..........OK", true);
    EXPECT_EQ(model.Status(), "DOWNLOADING CODE [D:\\work\\app.hex]:..........OK\r\n");
    EXPECT_EQ(appended.back(), "..........OK\r\n");
    EXPECT_EQ(appended.size(), 4u);
    model.AppendStatus("next ");
    EXPECT_EQ(model.StatusCaret(), static_cast<int>(model.Status().size()));
}

struct HexCase {
    std::int32_t value;
    const char* text;
};

void PrintTo(const HexCase& row, std::ostream* out) { *out << row.value; }

class HexTextTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexTextTest, UpperCaseWithoutLeadingZeros) {
    EXPECT_EQ(HexText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, HexTextTest,
                         ::testing::Values(HexCase{0, "0"}, HexCase{6699, "1A2B"},
                                           HexCase{255, "FF"}, HexCase{0x7FFFFFFF, "7FFFFFFF"},
                                           HexCase{-1, "FFFFFFFF"},
                                           HexCase{-2147483647 - 1, "80000000"}));

}  // namespace
}  // namespace tovrel
