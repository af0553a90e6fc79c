#include "link/device_profile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/link/profile_files.h"
#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

using testing::GoodProfileLines;
using testing::LinkFixture;
using testing::ShownMessage;
using testing::TempFolder;

class DeviceProfileTest : public ::testing::Test {
  protected:
    std::string WriteProfile(const std::vector<std::string>& lines) {
        return folder.Write("Zerk8QA.txt", lines);
    }
    std::vector<ShownMessage> LineErrors(const std::string& path, std::vector<int> lines) {
        std::vector<ShownMessage> out;
        for (int n : lines)
            out.push_back({"Error in Line " + std::to_string(n) + " of " + path, "Warning"});
        return out;
    }
    TempFolder folder;
    LinkFixture f;
};

TEST_F(DeviceProfileTest, GoodProfileSetsEveryField) {
    f.settings.PCBaudrate = 14400;
    f.settings.XTAL = 4;
    const std::string path = WriteProfile(GoodProfileLines());
    EXPECT_TRUE(LoadDeviceProfile(f.link, path));
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
    EXPECT_EQ(s.ClkAdjust, 1);
    EXPECT_EQ(s.FastBaudrate, 115200);
    EXPECT_EQ(s.PCBaudrate, 9600);
}

TEST_F(DeviceProfileTest, WindowsLineEndsAreRead) {
    const std::string path = folder.Write("Zerk8QA.txt", GoodProfileLines(), "\r\n");
    EXPECT_TRUE(LoadDeviceProfile(f.link, path));
    EXPECT_TRUE(f.host.messages.empty());
    EXPECT_EQ(f.settings.ClkAdjust, 1);
}

struct BadLine {
    int line;  // 1-based line to replace
    std::string text;
    std::vector<int> errors;
};

class ProfileLineError : public DeviceProfileTest, public ::testing::WithParamInterface<BadLine> {};

TEST_P(ProfileLineError, NamesTheLineAndThePath) {
    std::vector<std::string> lines = GoodProfileLines();
    lines[GetParam().line - 1] = GetParam().text;
    const std::string path = WriteProfile(lines);
    EXPECT_TRUE(LoadDeviceProfile(f.link, path));
    EXPECT_EQ(f.host.messages, LineErrors(path, GetParam().errors));
}

INSTANTIATE_TEST_SUITE_P(
    DeviceProfile, ProfileLineError,
    ::testing::Values(BadLine{1, "CodeSize=63488", {1}}, BadLine{1, "CodeSize = abc", {1}},
                      BadLine{1, "codesize = 63488", {1}}, BadLine{2, "DataSize = ", {2}},
                      BadLine{3, "QuickDownloadOption = true", {3}},
                      BadLine{4, "FastBaudrateOption = ", {4}}, BadLine{7, "", {7}},
                      BadLine{8, "T3CON = 256", {8}}, BadLine{9, "T3FD = -1", {9}},
                      BadLine{10, "T3CON9600 = x", {10}}, BadLine{12, "XTAL = x", {12}},
                      BadLine{13, "fcore=11059200", {13}}, BadLine{14, "ClkAdjust = 0", {14}},
                      BadLine{14, "ClkAdjust = -1", {14}}, BadLine{14, "ClkAdjust = ", {14}},
                      // A bad line 12 shifts the rest: line 13's text is read as line 14.
                      BadLine{12, "XTAL=0", {12, 14}}, BadLine{12, "Xtal = 0", {12, 14}}));

TEST_F(DeviceProfileTest, ALineErrorKeepsTheFieldsValue) {
    std::vector<std::string> lines = GoodProfileLines();
    lines[0] = "CodeSize = none";
    lines[2] = "QuickDownloadOption = true";
    lines[7] = "T3CON = 300";
    f.settings.CodeSize = 4096;
    f.settings.QuickDownloadOption = false;
    f.settings.FastBaudrateOption = false;
    lines[3] = "FastBaudrateOption = False";
    f.settings.T3CON = 0x42;
    LoadDeviceProfile(f.link, WriteProfile(lines));
    EXPECT_EQ(f.settings.CodeSize, 4096);
    EXPECT_FALSE(f.settings.QuickDownloadOption);
    EXPECT_EQ(f.settings.T3CON, 0x42);
}

TEST_F(DeviceProfileTest, ShiftedLinesLeaveClockAndFastRateAlone) {
    std::vector<std::string> lines = GoodProfileLines();
    lines[11] = "XTAL 0";
    f.settings.XTAL = 1;
    f.settings.fcore = 1843200;
    f.settings.PCBaudrate = 14400;
    f.settings.ClkAdjust = 3;
    f.settings.T3CON = 0x99;
    LoadDeviceProfile(f.link, WriteProfile(lines));
    EXPECT_EQ(f.settings.XTAL, 1);
    EXPECT_EQ(f.settings.fcore, 1843200);
    EXPECT_EQ(f.settings.PCBaudrate, 14400);
    EXPECT_EQ(f.settings.ClkAdjust, 3);
    EXPECT_EQ(f.settings.FastBaudrate, 115200);
}

TEST_F(DeviceProfileTest, ShortFileReportsEachMissingLine) {
    std::vector<std::string> lines = GoodProfileLines();
    lines.resize(10);
    const std::string path = WriteProfile(lines);
    EXPECT_TRUE(LoadDeviceProfile(f.link, path));
    EXPECT_EQ(f.host.messages, LineErrors(path, {11, 12, 14}));
    EXPECT_EQ(f.settings.FastBaudrate, 115200);
}

TEST_F(DeviceProfileTest, EmptyFileReportsEveryLineItReads) {
    const std::string path = WriteProfile({});
    EXPECT_TRUE(LoadDeviceProfile(f.link, path));
    EXPECT_EQ(f.host.messages, LineErrors(path, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14}));
}

TEST_F(DeviceProfileTest, MissingOrUnreadableFileIsRefused) {
    const std::string missing = folder.path() + "/Configuration/Zerk8ZZ.txt";
    EXPECT_FALSE(LoadDeviceProfile(f.link, missing));
    EXPECT_FALSE(LoadDeviceProfile(f.link, folder.path()));
    EXPECT_EQ(f.host.messages,
              (std::vector<ShownMessage>{
                  {"Cannot read the device profile " + missing, "Warning"},
                  {"Cannot read the device profile " + folder.path(), "Warning"}}));
    EXPECT_EQ(f.settings.CodeSize, 63488);
}

struct OtherCrystal {
    std::string text;
    std::int32_t fcore;
    std::int32_t pcBaudrate;
};

class OtherCrystalProfile : public DeviceProfileTest,
                            public ::testing::WithParamInterface<OtherCrystal> {};

TEST_P(OtherCrystalProfile, TakesTheClockFromTheFrequencyBox) {
    std::vector<std::string> lines = GoodProfileLines();
    lines[11] = "XTAL = 0";
    lines[12] = "whatever line 13 holds";
    f.settings.XTAL = 2;
    f.settings.PCBaudrate = 4800;
    f.settings.fcore = 1;
    f.frequency = GetParam().text;
    EXPECT_TRUE(LoadDeviceProfile(f.link, WriteProfile(lines)));
    EXPECT_TRUE(f.host.messages.empty());
    EXPECT_EQ(f.settings.XTAL, 2);
    EXPECT_EQ(f.settings.fcore, GetParam().fcore);
    EXPECT_EQ(f.settings.PCBaudrate, GetParam().pcBaudrate);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceProfile, OtherCrystalProfile,
    ::testing::Values(OtherCrystal{"20", 20000000, 9600}, OtherCrystal{"16", 16000000, 14399},
                      OtherCrystal{"11.0592 MHz", 11059200, 9599},
                      OtherCrystal{"1.8432", 1843200, 1599},
                      // No PC rate goes with these: the rate the device answered at stays.
                      OtherCrystal{"300", 300000000, 4800}, OtherCrystal{"0", 0, 4800},
                      OtherCrystal{"abc", 0, 4800}, OtherCrystal{"99999", 1, 4800}));

TEST_F(DeviceProfileTest, ProfileCrystalDigitReplacesTheSetting) {
    std::vector<std::string> lines = GoodProfileLines();
    lines[11] = "XTAL = 1";
    f.settings.XTAL = 0;
    f.settings.PCBaudrate = 14400;
    LoadDeviceProfile(f.link, WriteProfile(lines));
    EXPECT_EQ(f.settings.XTAL, 1);
    EXPECT_EQ(f.settings.PCBaudrate, 9600);
}

struct ClockCase {
    std::string fcore;
    std::string clkAdjust;
    std::int32_t fastBaudrate;
};

class FastRate : public DeviceProfileTest, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(FastRate, IsTheLargestFractionOf115200TheClockAllows) {
    std::vector<std::string> lines = GoodProfileLines();
    lines[12] = "fcore = " + GetParam().fcore;
    lines[13] = "ClkAdjust = " + GetParam().clkAdjust;
    LoadDeviceProfile(f.link, WriteProfile(lines));
    EXPECT_TRUE(f.host.messages.empty());
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
    std::vector<std::string> lines = GoodProfileLines();
    lines[7] = "T3CON = 131";
    lines[8] = "T3FD = 18";
    LoadDeviceProfile(f.link, WriteProfile(lines));
    EXPECT_EQ(f.settings.T3CON, 131);
    EXPECT_EQ(f.settings.T3FD, 18);

    lines[7] = "T3CON = 0";
    lines[3] = "FastBaudrateOption = False";
    LoadDeviceProfile(f.link, WriteProfile(lines));
    EXPECT_EQ(f.settings.T3CON, 0);
    EXPECT_EQ(f.settings.T3FD, 18);
}

struct ShippedProfile {
    std::string model;
    bool quickDownload;
    bool fastBaudrateOption;
    std::int32_t fcore;
    std::int32_t fastBaudrate;
};

class ShippedProfiles : public ::testing::TestWithParam<ShippedProfile> {};

TEST_P(ShippedProfiles, LoadWithoutLineErrors) {
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    const std::string path =
        (exe.parent_path() / "Configuration" / ("Zerk8" + GetParam().model + ".txt")).string();
    LinkFixture f;
    ASSERT_TRUE(LoadDeviceProfile(f.link, path));
    EXPECT_TRUE(f.host.messages.empty());
    EXPECT_EQ(f.settings.QuickDownloadOption, GetParam().quickDownload);
    EXPECT_EQ(f.settings.FastBaudrateOption, GetParam().fastBaudrateOption);
    EXPECT_EQ(f.settings.fcore, GetParam().fcore);
    EXPECT_EQ(f.settings.FastBaudrate, GetParam().fastBaudrate);
    // A device that switches rates must have a timer setting for the fast rate.
    EXPECT_EQ(f.settings.T3CON != 0, GetParam().fastBaudrateOption);
}

INSTANTIATE_TEST_SUITE_P(DeviceProfile, ShippedProfiles,
                         ::testing::Values(ShippedProfile{"QA", true, true, 11059200, 115200},
                                           ShippedProfile{"QB", false, true, 11059200, 115200},
                                           ShippedProfile{"QC", true, false, 11059200, 115200},
                                           ShippedProfile{"QD", true, true, 2097152, 57600},
                                           ShippedProfile{"QE", true, true, 12582912, 38400}));

}  // namespace
}  // namespace tovrel
