#include "flash/verify.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "flash/verify_files.h"
#include "image/code_image.h"
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

// The device's code flash as the 'V' command reads it back.
struct FakeFlash {
    Bytes memory = Bytes(kCodeImageSize, 0xFF);
    // Page -> replies still to come that have a wrong first byte.
    std::map<int, int> corruptReplies;
    // Page -> number of bytes every reply for it brings.
    std::map<int, std::size_t> shortReplies;

    FakeReply Answer(const Bytes& message) {
        if (message.size() != 6 || message[3] != 'V') return {{0x06}};
        const int page = message[4];
        Bytes reply(memory.begin() + page * 256, memory.begin() + (page + 1) * 256);
        reply.push_back(0x00);
        if (corruptReplies[page] > 0) {
            --corruptReplies[page];
            reply[0] ^= 0x01;
        }
        if (shortReplies.count(page)) reply.resize(shortReplies[page]);
        return {reply};
    }
};

class Verify : public ::testing::Test, public testing::LinkFixture {
  protected:
    Verify() {
        settings.CodeSize = 0xF800;
        port.respond = [this](const Bytes& message) { return flash.Answer(message); };
        WriteHex({Record(0x0000, {0x12}), Record(0x01F8, Bytes(16, 0xA5)), kEnd});
    }
    // Writes the hex file and programs the fake flash with it.
    void WriteHex(const std::vector<std::string>& lines) {
        settings.HexFileName = dir.Write("code.hex", HexFile(lines));
        CodeImage image;
        ASSERT_TRUE(LoadCodeImage(host, settings.HexFileName, image));
        flash.memory.assign(image.Bytes().begin(), image.Bytes().end());
    }
    bool RunVerify() { return VerifyAfterDownloadFunction(link, progress, outcome); }

    TempDir dir;
    FakeFlash flash;
    RecordingProgressBar progress;
    VerifyOutcome outcome;
};

TEST_F(Verify, MatchingFlashReadsEveryPageOnce) {
    EXPECT_TRUE(RunVerify());
    ASSERT_EQ(port.written.size(), 248u);
    EXPECT_EQ(port.written.front(), (Bytes{0x07, 0x0E, 0x02, 0x56, 0x00, 0xA8}));
    EXPECT_EQ(port.written.back(), (Bytes{0x07, 0x0E, 0x02, 0x56, 0xF7, 0xB1}));
    EXPECT_EQ(port.readCounts, std::vector<std::size_t>(248, 257));
    const std::vector<std::string> start{"show",    "min 0",   "max 247",
                                         "value 0", "value 0", "value 1"};
    EXPECT_TRUE(std::equal(start.begin(), start.end(), progress.calls.begin()));
    EXPECT_EQ(progress.value, 247);
    EXPECT_EQ(progress.calls.back(), "hide");
}

TEST_F(Verify, TransientMismatchIsReadAgain) {
    flash.corruptReplies[10] = 1;
    EXPECT_TRUE(RunVerify());
    EXPECT_EQ(port.written.size(), 249u);
    EXPECT_EQ(port.written[10][4], 10);
    EXPECT_EQ(port.written[11][4], 10);
}

TEST_F(Verify, NineteenFailuresInAllStillPass) {
    for (int page = 0; page < 19; ++page) flash.corruptReplies[page * 13] = 1;
    EXPECT_TRUE(RunVerify());
}

TEST_F(Verify, TwentiethFailureOverManyPagesEndsTheVerify) {
    for (int page = 0; page < 20; ++page) flash.corruptReplies[page] = 1;
    EXPECT_FALSE(RunVerify());
    // Pages 0 to 18 each took a failure and a retry; page 19 failed the twentieth time.
    EXPECT_EQ(port.written.size(), 39u);
    EXPECT_EQ(port.written.back()[4], 19);
    EXPECT_EQ(progress.value, 247);
}

TEST_F(Verify, SilentDeviceFailsAfterTwentyReads) {
    port.respond = [](const Bytes&) { return FakeReply{{}}; };
    EXPECT_FALSE(RunVerify());
    EXPECT_EQ(port.written.size(), 20u);
    EXPECT_EQ(progress.value, 247);
}

TEST_F(Verify, ShortReplyIsAFailedReadNotComparedWithOldBytes) {
    // Page 3 is erased; its 255-byte reply would match if the byte that page 2 left at the
    // end of the receive buffer (FF) were compared as its last byte.
    flash.shortReplies[3] = 255;
    EXPECT_FALSE(RunVerify());
    EXPECT_EQ(port.written.size(), 3u + 20u);
}

TEST_F(Verify, MismatchOfTheFileWithTheFlashFails) {
    flash.memory[0x9000] = 0x00;
    EXPECT_FALSE(RunVerify());
    EXPECT_EQ(port.written.back()[4], 0x90);
}

std::string Line(unsigned address, const Bytes& data) { return Record(address, data) + "\r\n"; }
const std::string kUnverifiedLine = ":" + std::string(42, 'F') + "\r\n";
constexpr std::size_t kLineSize = 45;

TEST_F(Verify, VerifyFilesByteForByte) {
    settings.GenVerifyFiles = true;
    EXPECT_TRUE(RunVerify());
    EXPECT_TRUE(outcome.filesWritten);
    EXPECT_EQ(settings.VerifyHexPath, dir.Path("verify.hex"));
    EXPECT_EQ(settings.VerifyBinPath, dir.Path("verify.bin"));
    EXPECT_EQ(settings.VerifyHexName, "verify.hex");
    const std::string hex = dir.Read("verify.hex");
    ASSERT_EQ(hex.size(), 3968 * kLineSize + 13);
    Bytes first(16, 0xFF);
    first[0] = 0x12;
    EXPECT_EQ(hex.substr(0, kLineSize), Line(0, first));
    EXPECT_EQ(hex.substr(kLineSize, kLineSize), ":10001000" + std::string(32, 'F') + "F0\r\n");
    EXPECT_EQ(hex.substr(31 * kLineSize, kLineSize),
              Line(0x1F0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0xA5, 0xA5, 0xA5,
                           0xA5, 0xA5, 0xA5, 0xA5}));
    EXPECT_EQ(hex.substr(3967 * kLineSize),
              ":10F7F000" + std::string(32, 'F') + "19\r\n:00000001FF\r\n");
    const std::string bin = dir.Read("verify.bin");
    EXPECT_EQ(Bytes(bin.begin(), bin.end()), flash.memory);
}

TEST_F(Verify, ErasedRecordAtZeroEndsInChecksum00) {
    WriteHex({Record(0x0100, {0x01}), kEnd});
    settings.GenVerifyFiles = true;
    EXPECT_TRUE(RunVerify());
    EXPECT_EQ(dir.Read("verify.hex").substr(0, kLineSize),
              ":10000000" + std::string(32, 'F') + "00\r\n");
}

TEST_F(Verify, FailedVerifyStillWritesWhatWasRead) {
    settings.GenVerifyFiles = true;
    flash.corruptReplies[1] = 20;
    EXPECT_FALSE(RunVerify());
    const std::string hex = dir.Read("verify.hex");
    ASSERT_EQ(hex.size(), 3968 * kLineSize + 13);
    EXPECT_EQ(hex.substr(0, 1), ":");
    EXPECT_EQ(hex.substr(15 * kLineSize, kLineSize), Line(0xF0, Bytes(16, 0xFF)));
    EXPECT_EQ(hex.substr(16 * kLineSize, kLineSize), kUnverifiedLine);
    EXPECT_EQ(hex.substr(3967 * kLineSize, kLineSize), kUnverifiedLine);
    // The failed page holds its last reply; pages never read stay FF.
    const std::string bin = dir.Read("verify.bin");
    ASSERT_EQ(bin.size(), kCodeImageSize);
    EXPECT_EQ(static_cast<std::uint8_t>(bin[0x100]), flash.memory[0x100] ^ 0x01);
    EXPECT_EQ(static_cast<std::uint8_t>(bin[0x1FF]), 0xA5);
    EXPECT_EQ(static_cast<std::uint8_t>(bin[0x200]), 0xFF);
}

TEST_F(Verify, LongerOldFilesAreReplacedWhole) {
    settings.GenVerifyFiles = true;
    dir.Write("verify.hex", std::string(400000, 'x'));
    dir.Write("verify.bin", std::string(100000, 'x'));
    EXPECT_TRUE(RunVerify());
    EXPECT_EQ(dir.Read("verify.hex").size(), 3968 * kLineSize + 13);
    EXPECT_EQ(dir.Read("verify.bin").size(), kCodeImageSize);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("verify.hex.tmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("verify.bin.tmp")));
}

TEST_F(Verify, FileThatCannotBeWrittenIsNamed) {
    settings.GenVerifyFiles = true;
    std::filesystem::create_directory(dir.Path("verify.hex"));
    EXPECT_TRUE(RunVerify());
    EXPECT_FALSE(outcome.filesWritten);
    EXPECT_EQ(
        host.messages,
        (std::vector<ShownMessage>{{"Cannot write file " + dir.Path("verify.hex"), "Warning"}}));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("verify.hex.tmp")));
    EXPECT_EQ(dir.Read("verify.bin").size(), kCodeImageSize);
}

TEST_F(Verify, NoFilesWithoutGenVerifyFiles) {
    EXPECT_TRUE(RunVerify());
    EXPECT_FALSE(outcome.filesWritten);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("verify.hex")));
}

TEST_F(Verify, CodeBeyondTheImageFailsBeforeAnyRead) {
    settings.CodeSize = 0x10000;
    settings.HexFileName = dir.Write("big.hex", HexFile({Record(0xFFF0, Bytes(16, 1)), kEnd}));
    EXPECT_FALSE(RunVerify());
    EXPECT_TRUE(port.written.empty());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find(settings.HexFileName), std::string::npos);
    EXPECT_EQ(host.messages[0].title, "Warning Hex File");
}

TEST_F(Verify, HexFileWithoutFolderGivesBareNames) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Folder());
    settings.HexFileName = "code.hex";
    settings.GenVerifyFiles = true;
    const bool matched = RunVerify();
    std::filesystem::current_path(previous);
    EXPECT_TRUE(matched);
    EXPECT_EQ(settings.VerifyHexPath, "verify.hex");
    EXPECT_EQ(settings.VerifyBinPath, "verify.bin");
    EXPECT_TRUE(std::filesystem::exists(dir.Path("verify.bin")));
}

TEST(VerifyFolder, EndsAtTheLastSeparator) {
    EXPECT_EQ(FolderPart("/a/b/code.hex"), "/a/b/");
    EXPECT_EQ(FolderPart("code.hex"), "");
#ifndef _WIN32
    EXPECT_EQ(FolderPart("C:\\x\\code.hex"), "");
#else
    EXPECT_EQ(FolderPart("C:\\x\\code.hex"), "C:\\x\\");
#endif
}

TEST(ToHexText, TwoUpperCaseDigits) {
    EXPECT_EQ(ToHex(0), "00");
    EXPECT_EQ(ToHex(5), "05");
    EXPECT_EQ(ToHex(0x10), "10");
    EXPECT_EQ(ToHex(0xAB), "AB");
    EXPECT_EQ(ToHex(0xFF), "FF");
}

}  // namespace
}  // namespace tovrel
