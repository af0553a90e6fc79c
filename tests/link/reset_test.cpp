#include "link/reset.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/device_profile.h"
#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using Messages = std::vector<testing::ShownMessage>;
using Changes = std::vector<std::pair<int, std::string>>;

// The build copies the shipped profiles beside every executable.
fs::path ShippedProfile(const std::string& model) {
    return fs::read_symlink("/proc/self/exe").parent_path() / "Configuration" /
           ("Zerk8" + model + ".txt");
}

// A scratch program folder, bin/, answered from by a device identifying as Kaz 8QA.
class ProfileTest : public ::testing::Test {
  protected:
    ProfileTest() {
        f.host.folder = folder + "/bin";
        ReplyWith("Kaz 8QA____205 padding..");
    }
    ~ProfileTest() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    void ReplyWith(const std::string& text) { ReplyWith(Bytes(text.begin(), text.end())); }
    void ReplyWith(Bytes reply) {
        f.port.respond = [reply](const Bytes&) { return testing::FakeReply{reply}; };
    }
    // Writes the QA profile with some lines (0-based) changed and the rest cut off at `count`.
    std::string Write(const std::string& name, Changes changes = {}, std::size_t count = 14) {
        std::ifstream in(ShippedProfile("QA"));
        std::vector<std::string> lines(14);
        for (std::string& line : lines) std::getline(in, line);
        for (auto& [index, text] : changes) lines[index] = text;
        fs::create_directories(fs::path(folder + "/" + name).parent_path());
        std::ofstream out(folder + "/" + name, std::ios::binary);
        for (std::size_t i = 0; i < count; ++i) out << lines[i] << "\r\n";
        return folder + "/" + name;
    }
    bool Load(Changes changes, std::size_t count = 14) {
        path = Write("Zerk8QA.txt", changes, count);
        return LoadDeviceProfile(f.link, path);
    }
    Messages LineErrors(std::vector<int> lines) const {
        Messages out;
        for (int n : lines)
            out.push_back({"Error in Line " + std::to_string(n) + " of " + path, "Warning"});
        return out;
    }
    std::string folder = [] {
        char pattern[] = "/tmp/tovrel-link-XXXXXX";
        return std::string(mkdtemp(pattern) ? pattern : "/tmp/tovrel-link-failed");
    }();
    testing::LinkFixture f;
    std::string path;
};

TEST_F(ProfileTest, TimerPairFromTheFileUnlessT3CONIsZero) {
    EXPECT_TRUE(Load({}));
    EXPECT_EQ(f.settings.T3FD, 0x20);
    EXPECT_TRUE(Load({{7, "T3CON = 131"}, {8, "T3FD = 18"}}));
    EXPECT_EQ(f.settings.T3FD, 18);
    EXPECT_TRUE(f.host.messages.empty());
}

struct BadLine {
    int index;
    std::string text;
    std::vector<int> errors;
};
class ProfileLineError : public ProfileTest, public ::testing::WithParamInterface<BadLine> {};

// A bad line keeps its field. A bad crystal line leaves clock and PC rate alone and skips
// the clock line unread, so that line 13's text is then read as line 14.
TEST_P(ProfileLineError, NamesTheLineAndThePathAndKeepsTheField) {
    Settings& s = f.settings;
    s.CodeSize = 4096;
    s.QuickDownloadOption = false;
    s.ClkAdjust = 3;
    s.fcore = 1843200;
    s.PCBaudrate = 14400;
    const int bad = GetParam().index;
    EXPECT_TRUE(Load({{bad, GetParam().text}}));
    EXPECT_EQ(f.host.messages, LineErrors(GetParam().errors));
    EXPECT_EQ(s.CodeSize, bad == 0 ? 4096 : 63488);
    EXPECT_EQ(s.QuickDownloadOption, bad != 2);
    EXPECT_EQ(s.fcore, bad == 11 || bad == 12 ? 1843200 : 11059200);
    EXPECT_EQ(s.PCBaudrate, bad == 11 ? 14400 : 9600);
    EXPECT_EQ(s.ClkAdjust, bad == 11 || bad == 13 ? 3 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Profile, ProfileLineError,
    ::testing::Values(BadLine{0, "CodeSize=63488", {1}}, BadLine{0, "CodeSize = abc", {1}},
                      BadLine{2, "QuickDownloadOption = true", {3}}, BadLine{8, "T3FD = 256", {9}},
                      BadLine{12, "fcore=11059200", {13}}, BadLine{13, "ClkAdjust = 0", {14}},
                      BadLine{11, "Xtal = 0", {12, 14}}));

TEST_F(ProfileTest, ShortFileReportsEachLineItCannotRead) {
    EXPECT_TRUE(Load({}, 10));
    EXPECT_EQ(f.host.messages, LineErrors({11, 12, 14}));
}

struct OtherCrystal {
    const char* text;
    std::int32_t fcore, pcBaudrate;
};
class OtherCrystalProfile : public ProfileTest,
                            public ::testing::WithParamInterface<OtherCrystal> {};

// XTAL 2: the clock comes from the frequency box and line 13 is not read at all.
TEST_P(OtherCrystalProfile, TakesTheClockFromTheFrequencyBox) {
    f.settings.XTAL = 2;
    f.settings.PCBaudrate = 4800;
    f.frequency = GetParam().text;
    EXPECT_TRUE(Load({{12, "whatever line 13 holds"}}));
    EXPECT_TRUE(f.host.messages.empty());
    EXPECT_EQ(f.settings.fcore, GetParam().fcore);
    EXPECT_EQ(f.settings.PCBaudrate, GetParam().pcBaudrate);
}

// No PC rate goes with the last crystal: the rate the device answered at stays.
INSTANTIATE_TEST_SUITE_P(Profile, OtherCrystalProfile,
                         ::testing::Values(OtherCrystal{"20", 20000000, 9600},
                                           OtherCrystal{"16 MHz", 16000000, 14399},
                                           OtherCrystal{"265.4208", 265420800, 4800}));

TEST(Profile, ShippedProfilesLoadWithoutLineErrors) {
    for (auto [model, fastBaudrate] :
         {std::pair{"QA", 115200}, std::pair{"QB", 115200}, std::pair{"QC", 115200},
          std::pair{"QD", 57600}, std::pair{"QE", 38400}}) {
        testing::LinkFixture f;
        EXPECT_TRUE(LoadDeviceProfile(f.link, ShippedProfile(model)));
        EXPECT_TRUE(f.host.messages.empty()) << model;
        EXPECT_EQ(f.settings.FastBaudrate, fastBaudrate) << model;
        // A device that switches rates needs a timer setting for the fast rate.
        EXPECT_EQ(f.settings.T3CON != 0, f.settings.FastBaudrateOption) << model;
    }
}

using ResetTest = ProfileTest;

TEST_F(ResetTest, ShortReplyKeepsTheOlderTailOfTheBuffer) {
    Write("bin/Configuration/Zerk8QA.txt");
    Write("bin/Configuration/Zerk8QB.txt");
    ASSERT_TRUE(Reset(f.link));
    EXPECT_EQ(f.port.written, (std::vector<Bytes>{{0x21, 0x5A, 0x00, 0xA6}}));
    EXPECT_EQ(f.port.readCounts, (std::vector<std::size_t>{25}));
    ReplyWith("Kaz 8QB");
    EXPECT_TRUE(Reset(f.link));
    EXPECT_EQ(f.settings.IdString, "Kaz 8QB____205");
    EXPECT_EQ(IdentificationDisplay(f.settings), "Zerk8QB version 2.05");
}

// Silence changes nothing; a reply without the exact family prefix is no identification.
using Reply = std::pair<std::string, std::string>;
class ForeignReply : public ResetTest, public ::testing::WithParamInterface<Reply> {};
TEST_P(ForeignReply, IsRejectedWithoutAMessage) {
    Write("bin/Configuration/Zerk8QA.txt");
    f.settings.IdString = "before";
    ReplyWith(GetParam().first);
    EXPECT_FALSE(Reset(f.link));
    EXPECT_EQ(f.settings.IdString, GetParam().second);
    EXPECT_TRUE(f.host.messages.empty());
}
INSTANTIATE_TEST_SUITE_P(Reset, ForeignReply,
                         ::testing::Values(Reply{"", "before"},
                                           Reply{"Zerk8QA version 2.05", "Zerk8QA versio"},
                                           Reply{"kaz 8QA____205 padding", "kaz 8QA____205"}));

TEST_F(ResetTest, ReplyBytesAreSingleByteCodePageCharacters) {
    Write("bin/Configuration/Zerk8QA.txt");
    ReplyWith(Bytes{'K', 'a', 'z', ' ', '8', 'Q', 'A', 0xE9, 0x00, 0xFF, 0x7F, '3', 0xB2, '1'});
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
    EXPECT_EQ(f.host.messages, (Messages{{"Cannot read the device profile " + path, "Warning"}}));
    ReplyWith(Bytes{'K', 'a', 'z', ' ', '8', 0x00, '/', '_', '_', '_', '_', '2', '0', '5'});
    EXPECT_FALSE(Reset(f.link));  // model characters that cannot name a file
}

// An installed program keeps its profiles in its data folder; one beside it comes first.
// Line errors name the file read but do not fail the reset.
TEST_F(ResetTest, ProfileFromTheDataFolderOrBesideTheProgram) {
    const std::string installed =
        Write("share/tovrel/Configuration/Zerk8QA.txt", {{2, "QuickDownloadOption = yes"}});
    EXPECT_TRUE(Reset(f.link));
    EXPECT_EQ(f.host.messages, (Messages{{"Error in Line 3 of " + installed, "Warning"}}));
    Write("bin/Configuration/Zerk8QA.txt");
    EXPECT_TRUE(Reset(f.link));
    EXPECT_EQ(f.host.messages.size(), 1u);
}

}  // namespace
}  // namespace tovrel
