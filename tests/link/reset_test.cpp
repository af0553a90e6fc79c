#include "link/reset.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/link/profile_files.h"
#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

using testing::Bytes;
using testing::FakeReply;
using testing::ShownMessage;

class ResetTest : public ::testing::Test {
  protected:
    ResetTest() {
        f.host.folder = folder.path + "/bin";
        ReplyWith(Text("Kaz 8QA____205 padding.."));
    }
    static Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }
    void ReplyWith(Bytes reply) {
        f.port.respond = [reply](const Bytes&) { return FakeReply{reply}; };
    }
    std::string BesideProgram(const std::string& model,
                              std::vector<std::string> lines = testing::GoodProfileLines()) {
        return folder.Write("bin/Configuration/Zerk8" + model + ".txt", lines);
    }
    testing::TempFolder folder;
    testing::LinkFixture f;
};

TEST_F(ResetTest, IdentifiesTheDeviceAndLoadsItsProfile) {
    BesideProgram("QA");
    f.settings.CodeSize = 1;
    EXPECT_TRUE(Reset(f.link));
    EXPECT_EQ(f.port.written, (std::vector<Bytes>{{0x21, 0x5A, 0x00, 0xA6}}));
    EXPECT_EQ(f.port.readCounts, (std::vector<std::size_t>{25}));
    EXPECT_EQ(f.settings.IdString, "Kaz 8QA____205");
    EXPECT_EQ(f.settings.PartName, "Kaz 8QA");
    EXPECT_EQ(f.settings.CodeSize, 63488);
    EXPECT_EQ(IdentificationDisplay(f.settings), "Zerk8QA version 2.05");
    EXPECT_TRUE(f.host.messages.empty());
}

TEST_F(ResetTest, SilentDeviceChangesNothing) {
    ReplyWith({});
    f.settings.IdString = "before";
    EXPECT_FALSE(Reset(f.link));
    EXPECT_EQ(f.settings.IdString, "before");
}

class ForeignReply : public ResetTest, public ::testing::WithParamInterface<std::string> {};
TEST_P(ForeignReply, IsRejectedWithoutAMessage) {
    BesideProgram("QA");
    ReplyWith(Text(GetParam()));
    EXPECT_FALSE(Reset(f.link));
    EXPECT_EQ(f.settings.IdString, GetParam().substr(0, 14));
    EXPECT_TRUE(f.host.messages.empty());
}
INSTANTIATE_TEST_SUITE_P(Reset, ForeignReply,
                         ::testing::Values("Zerk8QA version 2.05", "kaz 8QA____205 padding",
                                           " Kaz 8QA____205 padding"));

TEST_F(ResetTest, ShortReplyKeepsTheOlderTailOfTheBuffer) {
    BesideProgram("QA");
    BesideProgram("QB");
    ASSERT_TRUE(Reset(f.link));
    ReplyWith(Text("Kaz 8QB"));
    EXPECT_TRUE(Reset(f.link));
    EXPECT_EQ(f.settings.IdString, "Kaz 8QB____205");
    EXPECT_EQ(IdentificationDisplay(f.settings), "Zerk8QB version 2.05");
}

TEST_F(ResetTest, ReplyBytesAreSingleByteCodePageCharacters) {
    BesideProgram("QA");
    ReplyWith({'K', 'a', 'z', ' ', '8', 'Q', 'A', 0xE9, 0x00, 0xFF, 0x7F, '3', 0xB2, '1'});
    EXPECT_TRUE(Reset(f.link));
    EXPECT_EQ(f.settings.IdString, std::string("Kaz 8QA\xC3\xA9\0\xC3\xBF\x7F"
                                               "3\xC2\xB2"
                                               "1",
                                               17));
    EXPECT_EQ(IdentificationDisplay(f.settings),
              "Zerk8QA version 3.\xC2\xB2"
              "1");
}

TEST_F(ResetTest, MissingProfileNamesThePathAndFails) {
    EXPECT_FALSE(Reset(f.link));
    const std::string path = f.host.folder + "/Configuration/Zerk8QA.txt";
    EXPECT_EQ(f.host.messages,
              (std::vector<ShownMessage>{{"Cannot read the device profile " + path, "Warning"}}));
    ReplyWith({'K', 'a', 'z', ' ', '8', 0x00, '/', '_', '_', '_', '_', '2', '0', '5'});
    EXPECT_FALSE(Reset(f.link));  // model characters that cannot name a file
}

TEST_F(ResetTest, ProfileLineErrorsDoNotFailTheReset) {
    std::vector<std::string> lines = testing::GoodProfileLines();
    lines[2] = "QuickDownloadOption = yes";
    const std::string path = BesideProgram("QA", lines);
    EXPECT_TRUE(Reset(f.link));
    EXPECT_EQ(f.host.messages,
              (std::vector<ShownMessage>{{"Error in Line 3 of " + path, "Warning"}}));
}

TEST_F(ResetTest, InstalledProgramFindsItsProfilesInTheDataFolder) {
    std::vector<std::string> lines = testing::GoodProfileLines();
    lines[0] = "CodeSize = 32768";
    folder.Write("share/tovrel/Configuration/Zerk8QA.txt", lines);
    EXPECT_TRUE(Reset(f.link));
    EXPECT_EQ(f.settings.CodeSize, 32768);
    BesideProgram("QA");  // a profile beside the program comes first
    EXPECT_TRUE(Reset(f.link));
    EXPECT_EQ(f.settings.CodeSize, 63488);
}

}  // namespace
}  // namespace tovrel
