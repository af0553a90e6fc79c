#include <gtest/gtest.h>

#include "flash/download.h"
#include "tests/image/temp_dir.h"
#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

using testing::Bytes;
using testing::FakeReply;
using testing::RecordingProgressBar;
using testing::TempDir;

using Calls = std::vector<std::string>;

class DataDownload : public ::testing::Test, public testing::LinkFixture {
  protected:
    bool Download(const std::string& text) {
        return DataDownloadMode(link, progress, dir.Write("data.txt", text));
    }
    TempDir dir;
    RecordingProgressBar progress;
};

TEST_F(DataDownload, WorkedFramesOfTheTwoLines) {
    EXPECT_TRUE(Download("0,11,22,33,44\r\n300,AA,55,00,FF\r\n"));
    EXPECT_EQ(port.written,
              (std::vector<Bytes>{
                  {0x07, 0x0E, 0x08, 0x45, 0x00, 0x00, 0x00, 0x11, 0x22, 0x33, 0x44, 0x09},
                  {0x07, 0x0E, 0x08, 0x45, 0x00, 0x01, 0x2C, 0xAA, 0x55, 0x00, 0xFF, 0x88}}));
    EXPECT_EQ(progress.calls,
              (Calls{"min 0", "max 2", "value 0", "show", "value 1", "value 2", "hide"}));
}

TEST_F(DataDownload, EmptyLinesAreSkippedAndNotCounted) {
    EXPECT_TRUE(Download("1,01,02,03,04\n\n2,01,02,03,04\n3,01,02,03,04\n\n"));
    EXPECT_EQ(port.written.size(), 3u);
    EXPECT_EQ(progress.max, 3);
    EXPECT_EQ(progress.value, 3);
}

TEST_F(DataDownload, RefusedFirstFrameDoesNotStopTheOthers) {
    port.respond = [this](const Bytes&) {
        return FakeReply{{port.written.size() == 1 ? std::uint8_t{0x15} : std::uint8_t{0x06}}};
    };
    EXPECT_FALSE(Download("1,01\n2,02\n3,03\n"));
    EXPECT_EQ(port.written.size(), 3u);
    EXPECT_EQ(progress.value, 3);
}

TEST_F(DataDownload, MissingByteFieldsAreSentAsZero) {
    EXPECT_TRUE(Download("5,AA,BB"));
    const Bytes& frame = port.written.at(0);
    EXPECT_EQ(Bytes(frame.begin() + 7, frame.begin() + 11), (Bytes{0xAA, 0xBB, 0x00, 0x00}));
}

TEST_F(DataDownload, LineWithoutAddressBytesFailsWithoutAFrame) {
    EXPECT_FALSE(Download("1,01\n-1,02\nnocomma\n2,03\n"));
    EXPECT_EQ(port.written.size(), 2u);
    EXPECT_EQ(progress.value, 4);
}

TEST_F(DataDownload, MissingFileSendsNothing) {
    EXPECT_FALSE(DataDownloadMode(link, progress, dir.Path("none.txt")));
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(progress.calls.empty());
    EXPECT_EQ(host.messages.at(0).text, "Cannot open file " + dir.Path("none.txt"));
}

}  // namespace
}  // namespace tovrel
