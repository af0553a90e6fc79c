#include "image/code_image.h"

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

class CodeImageFile : public ::testing::Test {
  protected:
    bool Load(const std::vector<std::string>& lines) {
        path = dir.Write("code.hex", HexFile(lines));
        return LoadCodeImage(host, path, image);
    }
    TempDir dir;
    FakeHost host;
    CodeImage image;
    std::string path;
};

TEST_F(CodeImageFile, RecordCrossingAPageEndContinuesOnTheNextPage) {
    std::vector<std::uint8_t> data(16);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
    ASSERT_TRUE(Load({Record(0x01F8, data), kEnd}));
    EXPECT_EQ(image.Page(1)[0xF8], 0);
    EXPECT_EQ(image.Page(1)[0xFF], 7);
    EXPECT_EQ(image.Page(2)[0], 8);
    EXPECT_EQ(image.Page(2)[7], 15);
    EXPECT_EQ(image.Page(2)[8], kErasedByte);
    EXPECT_FALSE(image.PageIsEmpty(1));
    EXPECT_TRUE(image.PageIsEmpty(0));
}

TEST_F(CodeImageFile, LaterRecordOverwritesEarlierOne) {
    ASSERT_TRUE(Load({Record(0x10, {1, 2, 3}), Record(0x11, {9}), kEnd}));
    EXPECT_EQ(image.Page(0)[0x10], 1);
    EXPECT_EQ(image.Page(0)[0x11], 9);
    EXPECT_EQ(image.Page(0)[0x12], 3);
}

TEST_F(CodeImageFile, LastLineIsPlacedEvenWithoutEndRecord) {
    ASSERT_TRUE(Load({Record(0x10, {1}), Record(0x20, {2})}));
    EXPECT_EQ(image.Page(0)[0x20], 2);
}

TEST_F(CodeImageFile, PageOfErasedBytesIsEmpty) {
    ASSERT_TRUE(Load({Record(0x300, std::vector<std::uint8_t>(16, 0xFF)), kEnd}));
    EXPECT_TRUE(image.PageIsEmpty(3));
}

TEST_F(CodeImageFile, RecordEndingAtF800FitsOneByteMoreIsRefused) {
    ASSERT_TRUE(Load({Record(0xF7F0, std::vector<std::uint8_t>(16, 0x12)), kEnd}));
    EXPECT_EQ(image.Page(kPageCount - 1)[0xFF], 0x12);
    EXPECT_FALSE(Load({Record(0xF7F1, std::vector<std::uint8_t>(16, 0x12)), kEnd}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find(path), std::string::npos);
    EXPECT_EQ(host.messages[0].title, "Warning Hex File");
}

TEST_F(CodeImageFile, ShortLineIsRefusedNotPlaced) {
    EXPECT_FALSE(Load({Record(0x10, {1}), ":0000", kEnd}));
    EXPECT_EQ(host.messages, (std::vector<ShownMessage>{{"Invalid Hex File", "Warning"}}));
}

}  // namespace
}  // namespace tovrel
