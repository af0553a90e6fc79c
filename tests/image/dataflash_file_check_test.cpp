#include "image/dataflash_file_check.h"

#include <gtest/gtest.h>

#include "tests/image/temp_dir.h"
#include "tests/support/fake_host.h"

namespace tovrel {
namespace {

using testing::FakeHost;
using testing::ShownMessage;
using testing::TempDir;

const ShownMessage kTooLarge{
    "A data flash memory address specified in the text file is larger than that allowed for "
    "this Pellicon",
    "Tovrel"};

struct DataflashCase {
    const char* name;
    const char* text;
    bool passes;
    bool showsMessage;
    friend void PrintTo(const DataflashCase& c, std::ostream* os) { *os << c.name; }
};

class DataflashFileCheck : public ::testing::TestWithParam<DataflashCase> {};

TEST_P(DataflashFileCheck, Rows) {
    const DataflashCase& c = GetParam();
    TempDir dir;
    Settings settings;
    settings.DataSize = 100;
    FakeHost host;
    EXPECT_EQ(DataflashFileCheckFunction(settings, host, dir.Write("data.txt", c.text)), c.passes);
    EXPECT_EQ(host.messages,
              c.showsMessage ? std::vector<ShownMessage>{kTooLarge} : std::vector<ShownMessage>{});
}

INSTANTIATE_TEST_SUITE_P(
    Files, DataflashFileCheck,
    ::testing::Values(
        DataflashCase{"AddressEqualToDataSize", "0,1,2,3,4\r\n100,1,2,3,4\r\n", true, false},
        DataflashCase{"AddressOneBeyond", "101,1,2,3,4\r\n0,1,2,3,4\r\n", false, true},
        DataflashCase{"LastLineIsCheckedToo", "0,1,2,3,4\r\n101,1,2,3,4\r\n", false, true},
        DataflashCase{"LastLineWithoutNewline", "0,1,2,3,4\n101,1,2,3,4", false, true},
        DataflashCase{"SingleLineIsChecked", "101,1,2,3,4", false, true},
        DataflashCase{"NegativeAddress", "-1,1,2,3,4\r\n0,0,0,0,0\r\n", false, true},
        DataflashCase{"HexAddress", "&H64,1,2,3,4\r\n&H65,1,2,3,4\r\n", false, true},
        DataflashCase{"LeadingZerosAreDecimal", "0100,1,2,3,4\r\n", true, false},
        DataflashCase{"EmptyLineBeforeTheLast", "0,1,2,3,4\r\n\r\n5,1,2,3,4\r\n", false, false},
        DataflashCase{"EmptyLinesAtTheEnd", "0,1,2,3,4\r\n\r\n\r\n", true, false},
        DataflashCase{"LineWithoutCommaLast", "0,1,2,3,4\r\n5\r\n", false, false},
        DataflashCase{"CheckStopsAtFirstBadLine",
                      "0,1,2,3,4\r\nbad\r\n1,1\r\n2,2\r\n999,9\r\n3,3\r\n", false, false},
        DataflashCase{"EmptyFile", "", true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataflashFileCheckFile, MissingFileIsRefusedWithItsPath) {
    TempDir dir;
    Settings settings;
    FakeHost host;
    EXPECT_FALSE(DataflashFileCheckFunction(settings, host, dir.Path("none.txt")));
    EXPECT_EQ(host.messages,
              (std::vector<ShownMessage>{{"Cannot open file " + dir.Path("none.txt"), "Warning"}}));
}

}  // namespace
}  // namespace tovrel
