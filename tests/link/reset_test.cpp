#include "link/reset.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "link/device_profile.h"
#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using Messages = std::vector<testing::ShownMessage>;

// A scratch program folder, bin/, next to which the tests write device profiles; the device
// on the fake line identifies as Kaz 8QA.
class ProfileTest : public ::testing::Test {
  protected:
    ProfileTest() {
        f.host.folder = folder + "/bin";
        ReplyWith("Kaz 8QA____205 padding..");
    }
    ~ProfileTest() override { fs::remove_all(folder, ignored); }
    void ReplyWith(const std::string& reply) {
        f.port.respond = [reply](const Bytes&) {
            return testing::FakeReply{Bytes(reply.begin(), reply.end())};
        };
    }
    // The QA profile shipped beside the executable, with some lines (0-based) changed and
    // the rest cut off after `count`, written with CR LF line ends.
    std::string Write(const std::string& name, std::map<int, std::string> changes = {},
                      int count = 14) {
        std::ifstream in(fs::read_symlink("/proc/self/exe").parent_path() /
                         "Configuration/Zerk8QA.txt");
        fs::create_directories(fs::path(folder + name).parent_path(), ignored);
        std::ofstream out(folder + name, std::ios::binary);
        std::string line;
        for (int i = 0; i < count && std::getline(in, line); ++i)
            out << (changes.contains(i) ? changes[i] : line) << "\r\n";
        return folder + name;
    }
    bool Load(std::map<int, std::string> changes, int count = 14) {
        path = Write("/Zerk8QA.txt", changes, count);
        return LoadDeviceProfile(f.link, path);
    }
    Messages LineErrors(std::vector<int> lines) const {
        Messages out;
        for (int n : lines)
            out.push_back({"Error in Line " + std::to_string(n) + " of " + path, "Warning"});
        return out;
    }
    std::error_code ignored;
    std::string folder = ::testing::TempDir() + "tovrel-link-" + std::to_string(getpid());
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

// Frequency box text, then the core clock and PC rate it gives.
using OtherCrystal = std::tuple<const char*, std::int32_t, std::int32_t>;
class OtherCrystalProfile : public ProfileTest,
                            public ::testing::WithParamInterface<OtherCrystal> {};

// XTAL 2: the clock comes from the frequency box and line 13 is not read at all.
TEST_P(OtherCrystalProfile, TakesTheClockFromTheFrequencyBox) {
    f.settings.XTAL = 2;
    f.settings.PCBaudrate = 4800;
    f.settings.FrequencyText = std::get<0>(GetParam());
    EXPECT_TRUE(Load({{12, "whatever line 13 holds"}}));
    EXPECT_TRUE(f.host.messages.empty());
    EXPECT_EQ(f.settings.fcore, std::get<1>(GetParam()));
    EXPECT_EQ(f.settings.PCBaudrate, std::get<2>(GetParam()));
}

// No PC rate goes with the last crystal: the rate the device answered at stays.
INSTANTIATE_TEST_SUITE_P(Profile, OtherCrystalProfile,
                         ::testing::Values(OtherCrystal{"20", 20000000, 9600},
                                           OtherCrystal{"16 MHz", 16000000, 14399},
                                           OtherCrystal{"265.4208", 265420800, 4800}));

using ResetTest = ProfileTest;

TEST_F(ResetTest, ShortReplyKeepsTheOlderTailOfTheBuffer) {
    Write("/bin/Configuration/Zerk8QA.txt");
    Write("/bin/Configuration/Zerk8QB.txt");
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
    Write("/bin/Configuration/Zerk8QA.txt");
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

// The lines first, with their waits; a line the port cannot set leaves the reset unsent.
TEST_F(ResetTest, BeforeLinesGoFirstAndALineThatCannotBeSetStopsIt) {
    Write("/bin/Configuration/Zerk8QA.txt");
    std::string bad;
    f.link.lines.before = *ParseLineSequence("R1|D1|W0.05|D0|W0.1", bad);
    f.port.Open("/dev/fakeCOM1", 9600);
    f.port.respond = [&, reply = f.port.respond](const Bytes& m) {
        f.port.lineSteps.push_back("sent");
        return reply(m);
    };
    ASSERT_TRUE(Reset(f.link));
    EXPECT_EQ(f.port.lineSteps,
              (std::vector<std::string>{"R1", "D1", "W0.05", "D0", "W0.1", "sent"}));
    f.port.lineError = std::make_error_code(std::errc::inappropriate_io_control_operation);
    EXPECT_FALSE(Reset(f.link));
    EXPECT_EQ(f.port.written.size(), 1u);
    EXPECT_EQ(f.host.messages,
              (Messages{{"Cannot set RTS on COM1 (/dev/fakeCOM1): Inappropriate ioctl for device",
                         "Warning"}}));
}

TEST_F(ResetTest, MissingProfileNamesThePathAndFails) {
    EXPECT_FALSE(Reset(f.link));
    const std::string path = f.host.folder + "/Configuration/Zerk8QA.txt";
    EXPECT_EQ(f.host.messages, (Messages{{"Cannot read the device profile " + path, "Warning"}}));
    ReplyWith(std::string("Kaz 8\0/____205", 14));
    EXPECT_FALSE(Reset(f.link));  // model characters that cannot name a file
}

}  // namespace
}  // namespace tovrel
