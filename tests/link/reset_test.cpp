#include "link/reset.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "link/device_profile.h"
#include "tests/image/temp_dir.h"
#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using Messages = std::vector<testing::ShownMessage>;
using Changes = std::map<int, std::string>;

// A scratch program folder, bin/, whose Configuration folder holds the shipped device profiles
// with some lines changed; the device on the fake line identifies as Kaz 8QA.
class ProfileTest : public ::testing::Test {
  protected:
    ProfileTest() {
        f.host.folder = dir.Path("bin");
        fs::create_directories(dir.Path("bin/Configuration"));
        ReplyWith("Kaz 8QA____205 padding..");
    }
    void ReplyWith(const std::string& reply) {
        f.port.respond = [reply](const Bytes&) { return Bytes(reply.begin(), reply.end()); };
    }
    // The model's shipped profile with some lines (from 0) changed and the rest cut off after
    // count, with CR LF line ends.
    bool Load(const std::string& model, Changes changes = {}, int count = 14) {
        const std::string name = "Configuration/Zerk8" + model + ".txt";
        std::ifstream in(fs::read_symlink("/proc/self/exe").parent_path() / name);
        path = dir.Path("bin/" + name);
        std::ofstream out(path, std::ios::binary);
        std::string line;
        for (int i = 0; i < count && std::getline(in, line); ++i)
            out << (changes.contains(i) ? changes[i] : line) << "\r\n";
        out.close();
        return LoadDeviceProfile(f.link, path);
    }
    Messages LineErrors(std::vector<int> lines) const {
        Messages out;
        for (int n : lines)
            out.push_back({"Error in Line " + std::to_string(n) + " of " + path, "Warning"});
        return out;
    }
    testing::TempDir dir;
    testing::LinkFixture f;
    std::string path;
};

struct BadLine {
    int index;
    std::string text;
    std::vector<int> errors;
};
void PrintTo(const BadLine& line, std::ostream* out) { *out << '"' << line.text << '"'; }
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
    EXPECT_TRUE(Load("QA", {{bad, GetParam().text}}));
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

// A profile and the crystal (the frequency box's text with "Other crystal", else none), then
// the clock, the PC rate, the fast rate and the timer pair for it that the profile leads to.
struct RateCase {
    const char* name;
    const char* model;
    const char* frequency;
    Changes changes;
    std::int32_t fcore, pcBaudrate, fastBaudrate;
    int t3con, t3fd;
    int lines = 14;
    friend void PrintTo(const RateCase& c, std::ostream* os) { *os << c.name; }
};
class ProfileRates : public ProfileTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(ProfileRates, FollowFromTheClock) {
    const RateCase& c = GetParam();
    f.settings.PCBaudrate = 4800;  // the rate the device was reached at
    if (c.frequency) f.settings.XTAL = 2, f.settings.FrequencyText = c.frequency;
    EXPECT_TRUE(Load(c.model, c.changes, c.lines));
    const Settings& s = f.settings;
    EXPECT_EQ(std::tuple(s.fcore, s.PCBaudrate, s.FastBaudrate, int(s.T3CON), int(s.T3FD)),
              std::tuple(c.fcore, c.pcBaudrate, c.fastBaudrate, c.t3con, c.t3fd));
    EXPECT_EQ(f.host.messages, LineErrors(c.lines == 14 ? std::vector<int>{} : std::vector{14}));
}

// clang-format off
const RateCase kRates[] = {
    {"Shipped11MHz", "QA", nullptr, {}, 11059200, 9600, 115200, 0x81, 0x20},
    // A timer pair in the file is used as it stands, though the clock is too slow to compute one.
    {"Shipped2MHzWithItsOwnTimerPair", "QD", nullptr, {}, 2097152, 9600, 57600, 128, 9},
    {"Shipped12MHzClkAdjust8", "QE", nullptr, {}, 12582912, 9600, 38400, 0x83, 18},
    {"ClockLimitJustReaches115200", "QA", nullptr, {{12, "fcore = 3686400"}}, 3686400, 9600, 115200,
     0x80, 0},
    {"WithoutClkAdjustLine115200", "QD", nullptr, {}, 2097152, 9600, 115200, 128, 9, 13},
    // The timer divider rounds half to even where truncation would give one less.
    {"Other20MHzLineThirteenUnread", "QA", "20", {{12, "whatever"}}, 20000000, 9600, 115200, 0x82,
     23},
    {"Other25MHz", "QA", "25", {}, 25000000, 23039, 115200, 0x82, 45},
    {"Other16MHz", "QA", "16 MHz", {}, 16000000, 14399, 115200, 0x82, 5},
    // No PC rate goes with this crystal: the rate the device answered at stays.
    {"OtherWithoutPcRate", "QA", "265.4208", {}, 265420800, 4800, 115200, 0x86, 8},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Profile, ProfileRates, ::testing::ValuesIn(kRates),
                         [](const auto& info) { return std::string(info.param.name); });

using ResetTest = ProfileTest;

TEST_F(ResetTest, ShortReplyKeepsTheOlderTailOfTheBuffer) {
    Load("QB");
    ASSERT_TRUE(Load("QA") && Reset(f.link));
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
    Load("QA");
    f.settings.IdString = "before";
    ReplyWith(GetParam().first);
    EXPECT_FALSE(Reset(f.link));
    EXPECT_EQ(f.settings.IdString, GetParam().second);
    EXPECT_TRUE(f.host.messages.empty());
}
INSTANTIATE_TEST_SUITE_P(Reset, ForeignReply,
                         ::testing::Values(Reply{"", "before"},
                                           Reply{"Zerk8QA version 2.05", "Zerk8QA versio"},
                                           Reply{"kaz 8QA____205 padding", "kaz 8QA____205"},
                                           Reply{"Kaz 9QA____205 padding", "Kaz 9QA____205"}));

TEST_F(ResetTest, MissingProfileNamesThePathAndFails) {
    EXPECT_FALSE(Reset(f.link));
    const std::string path = f.host.folder + "/Configuration/Zerk8QA.txt";
    EXPECT_EQ(f.host.messages, (Messages{{"Cannot read the device profile " + path, "Warning"}}));
    ReplyWith(std::string("Kaz 8\0/____205", 14));
    EXPECT_FALSE(Reset(f.link));  // model characters that cannot name a file
}

}  // namespace
}  // namespace tovrel
