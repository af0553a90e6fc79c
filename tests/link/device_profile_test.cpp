#include "link/device_profile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/link/profile_files.h"
#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

using testing::GoodProfileLines;
using testing::ShownMessage;
using Messages = std::vector<ShownMessage>;

class DeviceProfileTest : public ::testing::Test {
  protected:
    // Loads the good profile with some of its lines (0-based) replaced.
    bool Load(std::vector<std::pair<int, std::string>> changes = {}, const char* lineEnd = "\n") {
        std::vector<std::string> lines = GoodProfileLines();
        for (auto& [index, text] : changes) lines[index] = text;
        path = folder.Write("Zerk8QA.txt", lines, lineEnd);
        return LoadDeviceProfile(f.link, path);
    }
    Messages LineErrors(std::vector<int> lines) const {
        Messages out;
        for (int n : lines)
            out.push_back({"Error in Line " + std::to_string(n) + " of " + path, "Warning"});
        return out;
    }
    testing::TempFolder folder;
    testing::LinkFixture f;
    std::string path;
};

TEST_F(DeviceProfileTest, GoodProfileSetsEveryField) {
    f.settings.PCBaudrate = 14400;
    EXPECT_TRUE(Load({}, "\r\n"));
    const Settings& s = f.settings;
    EXPECT_TRUE(f.host.messages.empty());
    EXPECT_EQ(s.CodeSize, 63488);
    EXPECT_EQ(s.DataSize, 640);
    EXPECT_TRUE(s.QuickDownloadOption && s.FastBaudrateOption && s.SecurityBitsOption &&
                s.BootloadOption && s.VerifyAfterDownloadOption);
    EXPECT_EQ(s.T3CON, 0x81);  // computed: the file holds 0
    EXPECT_EQ(s.T3FD, 0x20);
    EXPECT_EQ(s.T3CON9600, 133);
    EXPECT_EQ(s.T3FD9600, 8);
    EXPECT_EQ(s.XTAL, 0);
    EXPECT_EQ(s.fcore, 11059200);
    EXPECT_EQ(s.FastBaudrate, 115200);
    EXPECT_EQ(s.PCBaudrate, 9600);
}

struct BadLine {
    int index;
    std::string text;
    std::vector<int> errors;
};
class ProfileLineError : public DeviceProfileTest, public ::testing::WithParamInterface<BadLine> {};

TEST_P(ProfileLineError, NamesTheLineAndThePathAndKeepsTheField) {
    f.settings.CodeSize = 4096;
    f.settings.QuickDownloadOption = false;
    f.settings.T3FD = 0x42;
    f.settings.FastBaudrateOption = false;
    f.settings.ClkAdjust = 3;
    EXPECT_TRUE(Load({{GetParam().index, GetParam().text}, {3, "FastBaudrateOption = False"}}));
    EXPECT_EQ(f.host.messages, LineErrors(GetParam().errors));
    const int bad = GetParam().index;
    EXPECT_EQ(f.settings.CodeSize, bad == 0 ? 4096 : 63488);
    EXPECT_EQ(f.settings.QuickDownloadOption, bad != 2);
    EXPECT_EQ(f.settings.T3FD, bad == 8 ? 0x42 : 0);
    EXPECT_EQ(f.settings.ClkAdjust, bad == 11 || bad == 13 ? 3 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceProfile, ProfileLineError,
    ::testing::Values(BadLine{0, "CodeSize=63488", {1}}, BadLine{0, "CodeSize = abc", {1}},
                      BadLine{1, "DataSize = ", {2}}, BadLine{2, "QuickDownloadOption = true", {3}},
                      BadLine{6, "", {7}}, BadLine{8, "T3FD = 256", {9}},
                      BadLine{8, "T3FD = -1", {9}}, BadLine{12, "fcore=11059200", {13}},
                      BadLine{13, "ClkAdjust = 0", {14}}, BadLine{13, "ClkAdjust = x", {14}},
                      // A bad line 12 shifts the rest: line 13's text is read as line 14.
                      BadLine{11, "Xtal = 0", {12, 14}}));

TEST_F(DeviceProfileTest, ShiftedLinesLeaveClockAndRatesAlone) {
    f.settings.XTAL = 1;
    f.settings.fcore = 1843200;
    f.settings.PCBaudrate = 14400;
    Load({{11, "XTAL 0"}});
    EXPECT_EQ(f.settings.XTAL, 1);
    EXPECT_EQ(f.settings.fcore, 1843200);
    EXPECT_EQ(f.settings.PCBaudrate, 14400);
    EXPECT_EQ(f.settings.FastBaudrate, 115200);
}

TEST_F(DeviceProfileTest, ShortOrEmptyFileReportsEachLineItCannotRead) {
    std::vector<std::string> lines = GoodProfileLines();
    lines.resize(10);
    path = folder.Write("short.txt", lines);
    EXPECT_TRUE(LoadDeviceProfile(f.link, path));
    EXPECT_EQ(f.host.messages, LineErrors({11, 12, 14}));
    f.host.messages.clear();
    path = folder.Write("empty.txt", {});
    EXPECT_TRUE(LoadDeviceProfile(f.link, path));
    EXPECT_EQ(f.host.messages, LineErrors({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14}));
}

TEST_F(DeviceProfileTest, MissingOrUnreadableFileIsRefused) {
    const std::string missing = folder.path + "/Zerk8ZZ.txt";
    EXPECT_FALSE(LoadDeviceProfile(f.link, missing));
    EXPECT_FALSE(LoadDeviceProfile(f.link, folder.path));
    EXPECT_EQ(f.host.messages,
              (Messages{{"Cannot read the device profile " + missing, "Warning"},
                        {"Cannot read the device profile " + folder.path, "Warning"}}));
}

struct OtherCrystal {
    std::string text;
    std::int32_t fcore, pcBaudrate;
};
class OtherCrystalProfile : public DeviceProfileTest,
                            public ::testing::WithParamInterface<OtherCrystal> {};

TEST_P(OtherCrystalProfile, TakesTheClockFromTheFrequencyBox) {
    f.settings.XTAL = 2;
    f.settings.PCBaudrate = 4800;
    f.settings.fcore = 1;
    f.frequency = GetParam().text;
    EXPECT_TRUE(Load({{12, "whatever line 13 holds"}}));
    EXPECT_TRUE(f.host.messages.empty());
    EXPECT_EQ(f.settings.XTAL, 2);
    EXPECT_EQ(f.settings.fcore, GetParam().fcore);
    EXPECT_EQ(f.settings.PCBaudrate, GetParam().pcBaudrate);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceProfile, OtherCrystalProfile,
    ::testing::Values(OtherCrystal{"20", 20000000, 9600}, OtherCrystal{"16", 16000000, 14399},
                      OtherCrystal{"11.0592 MHz", 11059200, 9599},
                      // No PC rate goes with these: the rate the device answered at stays.
                      OtherCrystal{"300", 300000000, 4800}, OtherCrystal{"abc", 0, 4800},
                      OtherCrystal{"99999", 1, 4800}));

struct ClockCase {
    std::string fcore, clkAdjust;
    std::int32_t fastBaudrate;
};
class FastRate : public DeviceProfileTest, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(FastRate, IsTheLargestFractionOf115200TheClockAllows) {
    Load({{12, "fcore = " + GetParam().fcore}, {13, "ClkAdjust = " + GetParam().clkAdjust}});
    EXPECT_EQ(f.settings.FastBaudrate, GetParam().fastBaudrate);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceProfile, FastRate,
    ::testing::Values(ClockCase{"11059200", "1", 115200}, ClockCase{"2097152", "1", 57600},
                      ClockCase{"1000000", "1", 28800}, ClockCase{"12582912", "8", 38400},
                      ClockCase{"100000", "1", 3114},  // 115200 / 37 = 3113.5 rounded
                      ClockCase{"1000", "1", 31},      // no fraction fits: the clock limit
                      ClockCase{"80", "1", 2}));       // 2.5 goes to the even 2

TEST_F(DeviceProfileTest, TimerValuesInTheFileAreUsedUnlessT3CONIsZero) {
    Load({{7, "T3CON = 131"}, {8, "T3FD = 18"}});
    EXPECT_EQ(f.settings.T3CON, 131);
    EXPECT_EQ(f.settings.T3FD, 18);
    Load({{3, "FastBaudrateOption = False"}});
    EXPECT_EQ(f.settings.T3CON, 0);
}

class ShippedProfiles : public ::testing::TestWithParam<std::pair<const char*, std::int32_t>> {};

TEST_P(ShippedProfiles, LoadWithoutLineErrors) {
    const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    testing::LinkFixture f;
    ASSERT_TRUE(LoadDeviceProfile(
        f.link, (folder / "Configuration" / ("Zerk8" + std::string(GetParam().first) + ".txt"))));
    EXPECT_TRUE(f.host.messages.empty());
    EXPECT_EQ(f.settings.FastBaudrate, GetParam().second);
    // A device that switches rates needs a timer setting for the fast rate.
    EXPECT_EQ(f.settings.T3CON != 0, f.settings.FastBaudrateOption);
}

INSTANTIATE_TEST_SUITE_P(DeviceProfile, ShippedProfiles,
                         ::testing::Values(std::pair{"QA", 115200}, std::pair{"QB", 115200},
                                           std::pair{"QC", 115200}, std::pair{"QD", 57600},
                                           std::pair{"QE", 38400}));

}  // namespace
}  // namespace tovrel
