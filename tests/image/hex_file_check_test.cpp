#include "image/hex_file_check.h"

#include <gtest/gtest.h>

#include "tests/image/hex_text.h"
#include "tests/image/temp_dir.h"
#include "tests/support/fake_host.h"

namespace tovrel {
namespace {

using testing::FakeHost;
using testing::HexFile;
using testing::kEnd;
using testing::Record;
using testing::ShownMessage;
using testing::TempDir;

const ShownMessage kInvalid{"Invalid Hex File", "Warning"};
const ShownMessage kTooBig{"Hex File too big", "Warning Hex File"};
const ShownMessage kMismatch{"Checksum of file to download does not match required checksum ",
                             "Tovrel - Hex File Error"};

class HexFileCheck : public ::testing::Test {
  protected:
    HexFileCheck() { settings.CodeSize = 0xF800; }
    bool Check(const std::string& text, bool compare = false) {
        return HexFileCheckFunction(settings, host, dir.Write("code.hex", text), compare);
    }
    Settings settings;
    FakeHost host;
    TempDir dir;
};

TEST_F(HexFileCheck, WorkedChecksumOfAOneByteFile) {
    EXPECT_TRUE(Check(HexFile({":0100000012ED", kEnd})));
    EXPECT_EQ(settings.HexFileChecksum, 256);
    EXPECT_FALSE(settings.ChecksumMismatch);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(HexFileCheck, RecordEndingAtCodeSizePassesOneByteMoreIsTooBig) {
    settings.CodeSize = 0x2000;
    EXPECT_TRUE(Check(HexFile({Record(0x1FF0, std::vector<std::uint8_t>(16, 0x55)), kEnd})));
    EXPECT_FALSE(Check(HexFile({Record(0x1FF1, std::vector<std::uint8_t>(16, 0x55)), kEnd})));
    EXPECT_EQ(host.messages, std::vector<ShownMessage>{kTooBig});
}

TEST_F(HexFileCheck, BadLastLineIsCheckedToo) {
    // The downloads write the last line: a corrupted one must not pass unchecked.
    EXPECT_FALSE(Check(HexFile({Record(0, {1}), ":0100100012EE"})));
    EXPECT_EQ(host.messages, std::vector<ShownMessage>{kInvalid});
}

TEST_F(HexFileCheck, EmptyLinesAtTheEndAreNoRecords) {
    EXPECT_TRUE(Check(HexFile({Record(0, {1}), kEnd, "", "  "})));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(HexFileCheck, EmptyLineInsideTheFileIsInvalid) {
    EXPECT_FALSE(Check(HexFile({Record(0, {1}), "", kEnd})));
    EXPECT_EQ(host.messages.front(), kInvalid);
}

TEST_F(HexFileCheck, LowerCaseEndRecordIsCheckedAndPasses) {
    EXPECT_TRUE(Check(HexFile({Record(0, {1}), ":00000001ff"})));
}

TEST_F(HexFileCheck, FirstBadLineStopsTheChecks) {
    EXPECT_FALSE(Check(HexFile({Record(0, {1}), ":0100000012EE", ":0100000012EE", kEnd})));
    EXPECT_EQ(host.messages, std::vector<ShownMessage>{kInvalid});
}

TEST_F(HexFileCheck, OneLineCanShowAllThreeMessagesInOrder) {
    settings.CodeSize = 0x100;
    EXPECT_FALSE(Check(HexFile({"X1020000000000", kEnd})));
    EXPECT_EQ(host.messages, (std::vector<ShownMessage>{kInvalid, kTooBig, kInvalid}));
}

TEST_F(HexFileCheck, EndRecordInTheMiddleIsSkippedAndLaterLinesChecked) {
    EXPECT_FALSE(Check(HexFile({Record(0, {1}), kEnd, ":0100000012EE", kEnd})));
    EXPECT_TRUE(Check(HexFile({Record(0, {1}), kEnd, Record(0x10, {2}), kEnd})));
}

TEST_F(HexFileCheck, LinesNoFrameCanCarryAreInvalid) {
    EXPECT_FALSE(Check(HexFile({":00", kEnd})));
    EXPECT_EQ(host.messages, std::vector<ShownMessage>{kInvalid});
    settings.CodeSize = 0x10000;
    EXPECT_TRUE(Check(HexFile({Record(0, std::vector<std::uint8_t>(251, 1)), kEnd})));
    EXPECT_FALSE(Check(HexFile({Record(0, std::vector<std::uint8_t>(252, 1)), kEnd})));
}

TEST_F(HexFileCheck, LengthThatDisagreesWithTheCountIsInvalid) {
    // Trailing blanks would make the downloads send the checksum and more as data.
    EXPECT_FALSE(Check(HexFile({Record(0, {1, 2}) + "  ", kEnd})));
    EXPECT_EQ(host.messages, std::vector<ShownMessage>{kInvalid});
}

TEST_F(HexFileCheck, FieldReadingDropsLeadingBlanksAndEndsAtAComma) {
    EXPECT_TRUE(Check(HexFile({"   " + Record(0, {1}) + ",comment", kEnd})));
    EXPECT_EQ(settings.HexFileChecksum, 256);
}

TEST_F(HexFileCheck, ChecksumComparisonOnlyWhenEnabled) {
    settings.ExpectedChecksum = 1;
    EXPECT_TRUE(Check(HexFile({":0100000012ED", kEnd}), false));
    EXPECT_FALSE(settings.ChecksumMismatch);
    EXPECT_EQ(settings.HexFileChecksum, 256);
    EXPECT_FALSE(Check(HexFile({":0100000012ED", kEnd}), true));
    EXPECT_TRUE(settings.ChecksumMismatch);
    EXPECT_EQ(host.messages, std::vector<ShownMessage>{kMismatch});
    settings.ExpectedChecksum = 256;
    EXPECT_TRUE(Check(HexFile({":0100000012ED", kEnd}), true));
    EXPECT_FALSE(settings.ChecksumMismatch);
}

TEST_F(HexFileCheck, BadRecordAndMismatchShowBothMessages) {
    settings.ExpectedChecksum = 7;
    EXPECT_FALSE(Check(HexFile({":0100000012EE", kEnd}), true));
    EXPECT_EQ(host.messages, (std::vector<ShownMessage>{kInvalid, kMismatch}));
    EXPECT_TRUE(settings.ChecksumMismatch);
}

TEST_F(HexFileCheck, ChecksumAddsTheFirst21FieldsOfEachLineButTheLast) {
    std::vector<std::uint8_t> data(32, 0x01);
    // Count 20 + address 0 + type 0 + 17 data bytes of 1.
    EXPECT_TRUE(Check(HexFile({Record(0, data), Record(0x40, {1})})));
    EXPECT_EQ(settings.HexFileChecksum, 0x20 + 17);
}

TEST_F(HexFileCheck, ManyLinesAndLargeSumsNeedNoLimit) {
    std::vector<std::string> lines(40000, kEnd);
    EXPECT_TRUE(Check(HexFile(lines)));
    EXPECT_EQ(settings.HexFileChecksum, 39999 * 256);
}

TEST_F(HexFileCheck, MissingFileIsRefusedWithItsPath) {
    EXPECT_FALSE(HexFileCheckFunction(settings, host, dir.Path("none.hex"), false));
    EXPECT_EQ(host.messages,
              (std::vector<ShownMessage>{{"Cannot open file " + dir.Path("none.hex"), "Warning"}}));
    EXPECT_FALSE(settings.ChecksumMismatch);
}

}  // namespace
}  // namespace tovrel
