#include <gtest/gtest.h>

#include "image/hex_record.h"
#include "image/text_fields.h"
#include "image/text_file.h"
#include "tests/image/temp_dir.h"
#include "tests/support/fake_host.h"

namespace tovrel {
namespace {

using Lines = std::vector<std::string>;
using testing::TempDir;

TEST(TextLines, CrLfAndLfReadTheSame) {
    EXPECT_EQ(SplitTextLines("A\r\nB\r\n"), (Lines{"A", "B"}));
    EXPECT_EQ(SplitTextLines("A\nB\n"), (Lines{"A", "B"}));
    EXPECT_EQ(SplitTextLines("A\nB"), (Lines{"A", "B"}));
}

TEST(TextLines, OnlyTheEndRightAfterALineEndStartsNoLine) {
    EXPECT_EQ(SplitTextLines(""), Lines{});
    EXPECT_EQ(SplitTextLines("A\r\n\r\n"), (Lines{"A", ""}));
    EXPECT_EQ(SplitTextLines("\n\nA"), (Lines{"", "", "A"}));
    // A lone CR is no line end.
    EXPECT_EQ(SplitTextLines("A\rB\n"), (Lines{"A\rB"}));
}

TEST(TextLines, EmptyLinesAtTheEndAreNoContent) {
    EXPECT_EQ(ContentLineCount({"A", "", "B", "", ""}), 3u);
    EXPECT_EQ(ContentLineCount({"", ""}), 0u);
}

TEST(TextLines, MissingFileOrFolderCannotBeRead) {
    TempDir dir;
    EXPECT_FALSE(ReadTextLines(dir.Path("missing.hex")));
    EXPECT_FALSE(ReadTextLines(dir.Folder()));
    testing::FakeHost host;
    EXPECT_FALSE(ReadTextLinesOrWarn(host, dir.Path("missing.hex")));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Cannot open file " + dir.Path("missing.hex"));
    EXPECT_EQ(host.messages[0].title, "Warning");
    EXPECT_EQ(ReadTextLines(dir.Write("empty.txt", "")), Lines{});
}

TEST(TextField, DropsLeadingBlanksAndEndsAtAComma) {
    EXPECT_EQ(TextField("  \t:10AB,rest"), ":10AB");
    EXPECT_EQ(TextField(":10AB  "), ":10AB  ");
    EXPECT_EQ(TextField("   "), "");
    EXPECT_EQ(TextField(",x"), "");
}

struct HexFieldCase {
    const char* text;
    std::size_t position;
    int value;
    friend void PrintTo(const HexFieldCase& c, std::ostream* os) {
        *os << '"' << c.text << "\" at " << c.position;
    }
};

class HexFieldRule : public ::testing::TestWithParam<HexFieldCase> {};

TEST_P(HexFieldRule, ValueOfTheLeadingHexDigits) {
    const HexFieldCase& c = GetParam();
    EXPECT_EQ(HexField(c.text, c.position), c.value) << c.text << " at " << c.position;
}

INSTANTIATE_TEST_SUITE_P(Fields, HexFieldRule,
                         ::testing::Values(HexFieldCase{"AB", 1, 0xAB}, HexFieldCase{"ab", 1, 0xAB},
                                           HexFieldCase{"1G", 1, 0x01}, HexFieldCase{"G1", 1, 0},
                                           HexFieldCase{"xx", 1, 0}, HexFieldCase{"12F", 3, 0x0F},
                                           HexFieldCase{"12", 3, 0}, HexFieldCase{"12", 0, 0},
                                           HexFieldCase{":0A", 2, 0x0A}));

TEST(DataflashLine, AddressIsDecimalUnlessMarkedHex) {
    const DataflashLine first = ReadDataflashLine("0,11,22,33,44");
    EXPECT_TRUE(first.hasComma);
    EXPECT_EQ(first.address, 0);
    EXPECT_EQ(first.bytes, (std::array<std::uint8_t, 4>{0x11, 0x22, 0x33, 0x44}));
    const DataflashLine second = ReadDataflashLine("300,AA,55,00,FF");
    EXPECT_EQ(second.address, 300);
    EXPECT_EQ(second.bytes, (std::array<std::uint8_t, 4>{0xAA, 0x55, 0x00, 0xFF}));
    EXPECT_EQ(ReadDataflashLine("0010,01,02,03,04").address, 10);
    EXPECT_EQ(ReadDataflashLine("&H10,01").address, 16);
    EXPECT_EQ(ReadDataflashLine(" 1 2 ,01").address, 12);
    EXPECT_EQ(ReadDataflashLine("-5,01").address, -5);
}

TEST(DataflashLine, MissingFieldsAreZeroAndNoCommaIsNoted) {
    EXPECT_EQ(ReadDataflashLine("5,AA,BB").bytes, (std::array<std::uint8_t, 4>{0xAA, 0xBB, 0, 0}));
    EXPECT_FALSE(ReadDataflashLine("5 AA BB").hasComma);
    EXPECT_FALSE(ReadDataflashLine("").hasComma);
}

TEST(RecordLine, TakesAddressAndDataByLineLength) {
    const auto record = ParseRecordLine(":03123400AABBCC00");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->address, 0x1234u);
    EXPECT_EQ(record->data, (std::vector<std::uint8_t>{0xAA, 0xBB, 0xCC}));
    // The count field is not used: the length says two bytes.
    EXPECT_EQ(ParseRecordLine(":FF000000AABB00")->data.size(), 2u);
}

}  // namespace
}  // namespace tovrel
