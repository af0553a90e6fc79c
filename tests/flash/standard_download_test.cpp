#include <gtest/gtest.h>

#include "flash/download.h"
#include "tests/image/hex_text.h"
#include "tests/image/temp_dir.h"
#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

using testing::Bytes;
using testing::FakeReply;
using testing::HexFile;
using testing::kEnd;
using testing::Record;
using testing::RecordingProgressBar;
using testing::ShownMessage;
using testing::TempDir;

using Calls = std::vector<std::string>;

class StandardDownload : public ::testing::Test, public testing::LinkFixture {
  protected:
    StandardDownload() { settings.OperationOK = true; }
    bool Download(const std::vector<std::string>& lines) {
        path = dir.Write("code.hex", HexFile(lines));
        return StandardDownloadMode(link, progress, path);
    }
    // Refuses the nth message written (counted from 1) with 15 hex.
    void RefuseMessage(std::size_t n) {
        port.respond = [this, n](const Bytes&) {
            return FakeReply{{port.written.size() == n ? std::uint8_t{0x15} : std::uint8_t{0x06}}};
        };
    }
    TempDir dir;
    RecordingProgressBar progress;
    std::string path;
};

TEST_F(StandardDownload, WorkedFrameOfOneByteAtZero) {
    EXPECT_TRUE(Download({":0100000012ED", kEnd}));
    EXPECT_EQ(port.written,
              (std::vector<Bytes>{{0x07, 0x0E, 0x05, 0x57, 0x00, 0x00, 0x00, 0x12, 0x92}}));
    EXPECT_EQ(port.readCounts, (std::vector<std::size_t>{1}));
    EXPECT_EQ(port.readTimeouts, (std::vector<int>{500}));
    EXPECT_TRUE(settings.OperationOK);
}

TEST_F(StandardDownload, SixteenByteRecordsGoOutAsTheyAre) {
    EXPECT_TRUE(Download({Record(0x1234, std::vector<std::uint8_t>(16, 0xA5)),
                          Record(0x1244, std::vector<std::uint8_t>(16, 0x5A)), kEnd}));
    ASSERT_EQ(port.written.size(), 2u);
    EXPECT_EQ(port.written[0].size(), 24u);
    EXPECT_EQ(port.written[0][2], 0x14);
    EXPECT_EQ(Bytes(port.written[0].begin() + 4, port.written[0].begin() + 7),
              (Bytes{0x00, 0x12, 0x34}));
    EXPECT_EQ(port.written[1][6], 0x44);
}

TEST_F(StandardDownload, ProgressCountsEveryLineAndEndsAtItsMaximum) {
    EXPECT_TRUE(Download({Record(0, {1}), kEnd, Record(0x10, {2}), kEnd}));
    EXPECT_EQ(progress.calls, (Calls{"show", "min 0", "max 4", "value 0", "value 1", "value 2",
                                     "value 3", "value 4", "hide"}));
    // The end record in the middle is skipped; the records after it still go out.
    EXPECT_EQ(port.written.size(), 2u);
}

TEST_F(StandardDownload, LastLineIsSentWhenItIsARecord) {
    EXPECT_TRUE(Download({Record(0, {1}), Record(0x10, {2})}));
    ASSERT_EQ(port.written.size(), 2u);
    EXPECT_EQ(port.written[1][6], 0x10);
    EXPECT_EQ(progress.max, 2);
    EXPECT_EQ(progress.value, 2);
}

TEST_F(StandardDownload, NonDataRecordIsWrittenAtItsAddressField) {
    EXPECT_TRUE(Download({Record(0, {0x10, 0x00}, 4), kEnd}));
    EXPECT_EQ(port.written[0], (Bytes{0x07, 0x0E, 0x06, 0x57, 0x00, 0x00, 0x00, 0x10, 0x00, 0x93}));
}

TEST_F(StandardDownload, RefusalOfTheThirdRecordStopsTheSending) {
    RefuseMessage(3);
    EXPECT_FALSE(Download({Record(0, {1}), Record(0x10, {2}), Record(0x20, {3}), Record(0x30, {4}),
                           Record(0x40, {5}), kEnd}));
    EXPECT_EQ(port.written.size(), 3u);
    EXPECT_EQ(port.written[2][6], 0x20);
    EXPECT_EQ(progress.value, progress.max);
    EXPECT_EQ(progress.calls.back(), "hide");
    EXPECT_FALSE(settings.OperationOK);
}

TEST_F(StandardDownload, MissingReplyFails) {
    port.respond = [](const Bytes&) { return FakeReply{{}}; };
    EXPECT_FALSE(Download({Record(0, {1}), Record(0x10, {2}), kEnd}));
    EXPECT_EQ(port.written.size(), 1u);
}

TEST_F(StandardDownload, NothingSentWhenOperationFailedBefore) {
    settings.OperationOK = false;
    EXPECT_FALSE(Download({Record(0, {1}), Record(0x10, {2}), kEnd}));
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(progress.value, 3);
}

TEST_F(StandardDownload, MissingFileSendsNothing) {
    EXPECT_FALSE(StandardDownloadMode(link, progress, dir.Path("none.hex")));
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(progress.calls.empty());
    EXPECT_FALSE(settings.OperationOK);
    EXPECT_EQ(host.messages,
              (std::vector<ShownMessage>{{"Cannot open file " + dir.Path("none.hex"), "Warning"}}));
}

TEST_F(StandardDownload, LineNoFrameCanCarrySendsNothingAtAll) {
    EXPECT_FALSE(Download({Record(0, {1}), ":00", kEnd}));
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(host.messages, (std::vector<ShownMessage>{{"Invalid Hex File", "Warning"}}));
}

TEST_F(StandardDownload, RecordPastFFFFSendsNothingAtAll) {
    EXPECT_FALSE(
        Download({Record(0, {1}), Record(0xFFF8, std::vector<std::uint8_t>(16, 1)), kEnd}));
    EXPECT_TRUE(port.written.empty());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find(path), std::string::npos);
    EXPECT_EQ(host.messages[0].title, "Warning Hex File");
}

}  // namespace
}  // namespace tovrel
