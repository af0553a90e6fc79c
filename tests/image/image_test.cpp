#include <gtest/gtest.h>

#include <algorithm>

#include "core/text_file.h"
#include "image/dataflash_file_check.h"
#include "image/hex_file_check.h"
#include "tests/image/hex_text.h"
#include "tests/support/fake_host.h"

namespace tovrel {
namespace {

using namespace tovrel::testing;
using Messages = std::vector<ShownMessage>;
using Bytes = std::vector<std::uint8_t>;

const ShownMessage kInvalid{"Invalid Hex File", "Warning"};
const ShownMessage kTooBig{"Hex File too big", "Warning Hex File"};
const ShownMessage kMismatch{"Checksum of file to download does not match required checksum ",
                             "Tovrel - Hex File Error"};
const ShownMessage kExtended{
    "Hex file file holds an extended address record that is not 0: its data lies above 64 KB, "
    "where no device of this family has code flash. Nothing of it is sent",
    "Warning Hex File"};
const ShownMessage kUnknownType{
    "Hex file file holds a record of a type Intel HEX does not define (above 05): nothing of it "
    "is sent",
    "Warning Hex File"};
const ShownMessage kDataTooLarge{
    "A data flash memory address specified in the text file is larger than that allowed for "
    "this Pellicon",
    "Tovrel"};

// The hex file check without or with the checksum comparison, or the data-flash file check.
enum Check { Hex, Compared, Data };

struct CheckCase {
    const char* name;
    Check check;
    std::string text;
    bool passes;
    Messages messages{};
    int checksum = -1;  // -1: not looked at
    friend void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }
};
class FileCheck : public ::testing::TestWithParam<CheckCase> {};

// Code flash F800 hex, data flash 100 bytes, expected checksum 256.
TEST_P(FileCheck, Rows) {
    const CheckCase& c = GetParam();
    FakeHost host;
    Settings s;
    s.CodeSize = 0xF800, s.DataSize = 100, s.ExpectedChecksum = 256;
    const TextFile file{"file", TextLines(c.text)};
    EXPECT_EQ(c.check == Data ? DataflashFileCheckFunction(s, host, file)
                              : HexFileCheckFunction(s, host, file, c.check == Compared),
              c.passes);
    EXPECT_EQ(host.messages, c.messages);
    EXPECT_EQ(c.checksum < 0 ? c.checksum : s.HexFileChecksum, c.checksum);
    EXPECT_EQ(s.ChecksumMismatch, std::count(c.messages.begin(), c.messages.end(), kMismatch) > 0);
}

const std::string kOne = ":0100000012ED";
const std::string kBad = ":0100000012EE";
const Bytes k16(16, 0x55);
// clang-format off
const CheckCase kChecks[] = {
    {"WorkedChecksum", Compared, HexFile({kOne, kEnd}), true, {}, 256},
    {"NoComparisonUnlessAsked", Hex, HexFile({kOne, kOne, kEnd}), true, {}, 512},
    {"Mismatch", Compared, HexFile({kOne, kOne, kEnd}), false, {kMismatch}},
    {"BadRecordAndMismatchShowBoth", Compared, HexFile({kBad, kEnd}), false, {kInvalid, kMismatch}},
    // Count 20 + address 0 + type 0 + 17 data bytes of 1; the last line is not summed.
    {"SumsFirst21FieldsOfAllButTheLastLine", Hex,
     HexFile({Record(0, Bytes(32, 1)), Record(0x40, {1})}), true, {}, 0x20 + 17},
    {"LeadingBlanksDroppedCommaEnds", Hex, HexFile({"  " + kOne + ",x", kEnd}), true, {}, 256},
    {"RecordEndingAtF800Fits", Hex, HexFile({Record(0xF7F0, k16), kEnd}), true},
    {"OneByteMoreIsTooBig", Hex, HexFile({Record(0xF7F1, k16), kEnd}), false, {kTooBig}},
    {"OneLineShowsThreeMessages", Hex, HexFile({"X10F80000000000", kEnd}), false,
     {kInvalid, kTooBig, kInvalid}},
    // The downloads write the last line: a corrupted one must not pass unchecked.
    {"BadLastLineIsChecked", Hex, HexFile({Record(0, {1}), ":0100100012EE"}), false, {kInvalid}},
    {"FirstBadLineStopsTheChecks", Hex, HexFile({kOne, kBad, kBad, kEnd}), false, {kInvalid}},
    {"EndRecordInTheMiddleIsSkipped", Hex, HexFile({kOne, kEnd, kBad, kEnd}), false, {kInvalid}},
    // No start mark is the one fault of an empty line: its fields sum to 0.
    {"EmptyLineInside", Hex, HexFile({kOne, "", kEnd}), false, {kInvalid}},
    {"ShortLineOverTheSizeAndUnmarked", Hex, HexFile({"X08F8", kEnd}), false,
     {kInvalid, kTooBig}},
    {"LowerCaseEndRecord", Hex, HexFile({kOne, ":00000001ff"}), true},
    // Too short for a record, or more data than the one-byte count holds; 255 bytes fit.
    {"TooShortLine", Hex, HexFile({":00", kEnd}), false, {kInvalid}},
    {"LongestRecord", Hex, HexFile({Record(0, Bytes(255, 1)), kEnd}), true},
    {"LongerThanItsCount", Hex, HexFile({Record(0, Bytes(255, 1)) + "01", kEnd}), false,
     {kInvalid}},
    // Address records place nothing; one that moves the data above 64 KB refuses the file.
    {"ZeroAddressRecordsPass", Hex, HexFile({Record(0, {0, 0}, 4), Record(0, {0, 0}, 2), kOne,
     Record(0, {0, 0, 0, 0}, 5), Record(0, {0x12, 0x34, 0, 0}, 3), kEnd}), true},
    {"LinearAddressNotZero", Hex, HexFile({Record(0, {0, 1}, 4), kOne, kEnd}), false, {kExtended}},
    {"SegmentAddressNotZero", Hex, HexFile({kOne, Record(0, {0x10, 0}, 2), kEnd}), false,
     {kExtended}},
    {"TypeBeyond05", Hex, HexFile({kOne, Record(0, {1}, 6), kEnd}), false, {kUnknownType}},
    // Nothing to write is nothing to erase for.
    {"EmptyFile", Hex, "", false, {kInvalid}, 0},
    {"EndAndAddressRecordsOnly", Hex, HexFile({Record(0, {0, 0}, 4), kEnd}), false, {kInvalid}},
    {"RecordsWithoutData", Hex, HexFile({":00001000F0", kEnd}), false, {kInvalid}},
    // Trailing blanks would make the downloads send the checksum and more as data.
    {"TrailingBlanks", Hex, HexFile({Record(0, {1, 2}) + "  ", kEnd}), false, {kInvalid}},
    {"DataAddressEqualToDataSize", Data, "0,1,2,3,4\r\n100,1,2,3,4\r\n", true},
    {"DataLastLineIsChecked", Data, "0,1,2,3,4\r\n101,1,2,3,4\r\n", false, {kDataTooLarge}},
    {"DataNegativeAddress", Data, "-1,1,2,3,4\r\n0,0,0,0,0\r\n", false, {kDataTooLarge}},
    {"DataHexAddress", Data, "&H64,1,2,3,4\r\n&H65,1,2,3,4\r\n", false, {kDataTooLarge}},
    {"DataEmptyLineBeforeTheLast", Data, "0,1,2,3,4\r\n\r\n5,1,2,3,4\r\n", false},
    {"DataLineWithoutComma", Data, "0,1,2,3,4\r\n5\r\n6,1\r\n", false},
    {"DataStopsAtTheFirstBadLine", Data, "0,1,2,3,4\r\nbad\r\n1,1\r\n999,9\r\n", false},
    {"DataEmpty", Data, "\r\n", false},
    {"DataNoteOnly", Data, "no data here\r\n", false},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Files, FileCheck, ::testing::ValuesIn(kChecks),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrel
