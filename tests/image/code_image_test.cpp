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

TEST_F(CodeImageFile, RecordEndingAtF800FitsOneByteMoreIsRefused) {
    ASSERT_TRUE(Load({Record(0xF7F0, std::vector<std::uint8_t>(16, 0x12)), kEnd}));
    EXPECT_EQ(image.Page(kPageCount - 1)[0xFF], 0x12);
    EXPECT_FALSE(Load({Record(0xF7F1, std::vector<std::uint8_t>(16, 0x12)), kEnd}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find(path), std::string::npos);
    EXPECT_EQ(host.messages[0].title, "Warning Hex File");
}

}  // namespace
}  // namespace tovrel
