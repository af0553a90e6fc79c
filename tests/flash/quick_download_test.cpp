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
using testing::TempDir;

using Calls = std::vector<std::string>;

class QuickDownload : public ::testing::Test, public testing::LinkFixture {
  protected:
    QuickDownload() { settings.OperationOK = true; }
    bool Download(const std::vector<std::string>& lines) {
        path = dir.Write("code.hex", HexFile(lines, "\n"));
        return QuickDownloadMode(link, progress, path);
    }
    std::vector<int> PagesSent() const {
        std::vector<int> pages;
        for (const Bytes& frame : port.written) pages.push_back(frame[2]);
        return pages;
    }
    TempDir dir;
    RecordingProgressBar progress;
    std::string path;
};

TEST_F(QuickDownload, WorkedFrameOfOneByteOnPage1) {
    EXPECT_TRUE(Download({Record(0x0100, {0x12}), kEnd}));
    ASSERT_EQ(port.written.size(), 1u);
    Bytes expected{0x07, 0x51, 0x01, 0x12};
    expected.resize(259, 0xFF);
    expected.push_back(0xEC);
    EXPECT_EQ(port.written[0], expected);
    EXPECT_EQ(progress.calls, (Calls{"show", "min 0", "max 1", "value 0", "value 1", "hide"}));
}

TEST_F(QuickDownload, RecordCrossingAPageEndSendsBothPagesInOrder) {
    std::vector<std::uint8_t> data(16, 0x33);
    EXPECT_TRUE(Download({Record(0x01F8, data), kEnd}));
    EXPECT_EQ(PagesSent(), (std::vector<int>{1, 2}));
    EXPECT_EQ(port.written[0][3 + 0xF7], 0xFF);
    EXPECT_EQ(port.written[0][3 + 0xF8], 0x33);
    EXPECT_EQ(port.written[1][3 + 7], 0x33);
    EXPECT_EQ(port.written[1][3 + 8], 0xFF);
}

TEST_F(QuickDownload, EmptyPagesAreSkippedAndPagesGoOutAscending) {
    EXPECT_TRUE(Download({Record(0x9000, {1}), Record(0x0500, std::vector<std::uint8_t>(16, 0xFF)),
                          Record(0x0200, {2}), Record(0xF7FF, {3}), kEnd}));
    EXPECT_EQ(PagesSent(), (std::vector<int>{2, 0x90, 247}));
    EXPECT_EQ(progress.max, 3);
}

TEST_F(QuickDownload, LaterRecordWins) {
    EXPECT_TRUE(Download({Record(0x0010, {1, 2}), Record(0x0010, {9}), kEnd}));
    EXPECT_EQ(port.written[0][3 + 0x10], 9);
    EXPECT_EQ(port.written[0][3 + 0x11], 2);
}

TEST_F(QuickDownload, LastLineIsWritten) {
    EXPECT_TRUE(Download({Record(0x0010, {1}), Record(0x0300, {2})}));
    EXPECT_EQ(PagesSent(), (std::vector<int>{0, 3}));
}

TEST_F(QuickDownload, RefusalOfTheSecondPageStopsTheSending) {
    port.respond = [this](const Bytes&) {
        return FakeReply{{port.written.size() == 2 ? std::uint8_t{0x15} : std::uint8_t{0x06}}};
    };
    EXPECT_FALSE(Download({Record(0x0000, {1}), Record(0x0100, {2}), Record(0x0200, {3}), kEnd}));
    EXPECT_EQ(PagesSent(), (std::vector<int>{0, 1}));
    EXPECT_EQ(progress.value, 2);
    EXPECT_EQ(progress.max, 3);
    EXPECT_EQ(progress.calls.back(), "hide");
    EXPECT_FALSE(settings.OperationOK);
}

TEST_F(QuickDownload, NothingSentWhenOperationFailedBefore) {
    settings.OperationOK = false;
    EXPECT_FALSE(Download({Record(0x0000, {1}), kEnd}));
    EXPECT_TRUE(port.written.empty());
}

TEST_F(QuickDownload, FileWithoutDataSendsNothingAndSucceeds) {
    EXPECT_TRUE(Download({kEnd}));
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(progress.calls, (Calls{"show", "min 0", "max 0", "value 0", "hide"}));
}

TEST_F(QuickDownload, CodeBeyondTheImageFailsNamingTheFile) {
    settings.CodeSize = 0x10000;
    EXPECT_FALSE(Download({Record(0x0000, {1}), Record(0xF800, {2}), kEnd}));
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(progress.calls.empty());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find(path), std::string::npos);
    EXPECT_EQ(host.messages[0].title, "Warning Hex File");
    EXPECT_FALSE(settings.OperationOK);
}

TEST_F(QuickDownload, MissingFileSendsNothing) {
    EXPECT_FALSE(QuickDownloadMode(link, progress, dir.Path("none.hex")));
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(host.messages.at(0).text, "Cannot open file " + dir.Path("none.hex"));
}

}  // namespace
}  // namespace tovrel
