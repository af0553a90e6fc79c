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
}

TEST(MainWindowModel, CaretFollowsTheEndOfAGrowingLog) {
    MainWindowModel model;
    model.AppendStatus("first", true);
    model.AppendStatus("second ");
    EXPECT_EQ(model.StatusCaret(), static_cast<int>(model.Status().size()));
    model.AppendStatus("", true);
    EXPECT_EQ(model.Status(), "first\r\nsecond \r\n");
    EXPECT_EQ(model.StatusCaret(), 16);
}

TEST(MainWindowModel, EveryChangeIsAnnouncedOnce) {
    MainWindowModel model;
    int changes = 0;
    model.onChanged = [&] { ++changes; };
    model.DisableButtons();
    EXPECT_EQ(changes, 1);
    const auto& b = model.CommandButtons();
    EXPECT_FALSE(b.ResetButton || b.RunButton || b.ConfButton || b.DownloadButton);
    model.EnableButtons();
    model.AppendStatus("x", true);
    model.SetProgressValue(3);
    model.ShowConfigurationPage(true);
    EXPECT_EQ(changes, 5);
    EXPECT_TRUE(b.ResetButton && b.RunButton && b.ConfButton && b.DownloadButton);
    EXPECT_EQ(model.Caption(), "Configuration");
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

TEST(StatusTexts, ChecksumLinesCarryHexAndDecimal) {
    EXPECT_EQ(ChecksumLine("D:\\work\\app.hex", 6699),
              "CheckSum of [D:\\work\\app.hex] is 1A2Bhex - 6699 Dec");
    EXPECT_EQ(ChecksumLine("a.hex", -1), "CheckSum of [a.hex] is FFFFFFFFhex - -1 Dec");
    EXPECT_EQ(ChecksumMismatchLine(23, "a.hex", 256),
              "expected 17 hex for [a.hex] ... calculated 100 hex !!");
}

}  // namespace
}  // namespace tovrel
