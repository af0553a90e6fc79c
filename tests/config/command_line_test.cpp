#include "config/command_line.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/config/panel_fixture.h"

namespace tovrel {
namespace {

using testing::PanelFixture;
using testing::ShownMessage;

// A command-line start: defaults, the panel filled, then the switches.
struct CommandLineRun : PanelFixture {
    explicit CommandLineRun(const std::vector<std::string>& words, bool securityAnswer = true) {
        s.BatchPauseSeconds = 7;  // left over from nowhere: must be reset
        host.serialSafeAnswers = {securityAnswer};
        Fill();
        SetInputArgs(panel, s, words);
    }
};

struct SwitchCase {
    const char* name;
    std::vector<std::string> words;
    std::function<void(const CommandLineRun&)> check;
};
void PrintTo(const SwitchCase& c, std::ostream* os) { *os << c.name; }
class Switches : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(Switches, ActThroughThePanel) {
    const CommandLineRun run(GetParam().words);
    GetParam().check(run);
}

void DefaultsOnly(const CommandLineRun& r) {
    EXPECT_TRUE(r.s.EraseMode);
    EXPECT_EQ(r.s.DownloadMode, 1);
    EXPECT_FALSE(r.s.VerifyAfterDownload || r.s.RunAfterDownload || r.s.Bootload);
    EXPECT_FALSE(r.s.LockMode || r.s.SecureMode || r.s.SerialSafeMode);
    EXPECT_EQ(r.s.RunAddress, 0);
    EXPECT_EQ(r.s.Comport, 1);
    EXPECT_EQ(r.s.BatchPauseSeconds, 0);
    EXPECT_EQ(r.s.CmdDataFileName, "");
    EXPECT_TRUE(r.host.messages.empty());
}

const SwitchCase kCases[] = {
    {"FileOnly",
     {"Prog.Hex"},
     [](auto& r) {
         DefaultsOnly(r);
         EXPECT_EQ(r.s.CmdHexFileName, "Prog.Hex");
     }},
    {"PathWithBlankIsOneWord",
     {"C:/My Files/a b.hex", "/V"},
     [](auto& r) {
         EXPECT_EQ(r.s.CmdHexFileName, "C:/My Files/a b.hex");
         EXPECT_TRUE(r.s.VerifyAfterDownload);
     }},
    {"UnknownWordsIgnored",
     {"f.hex", "", "/Q", "/D:1", "/C:123", "/T:10", "/R:12", "/X", "/v "},
     [](auto& r) { DefaultsOnly(r); }},
    {"LeadingSwitchIsTheFileName",
     {"/V", "FILE.HEX"},
     [](auto& r) {
         EXPECT_EQ(r.s.CmdHexFileName, "/V");
         EXPECT_FALSE(r.s.VerifyAfterDownload);
     }},
    {"LowerCasePort",
     {"f.hex", "/c:3"},
     [](auto& r) {
         EXPECT_EQ(r.s.Comport, 3);
         EXPECT_EQ(r.panel.COMPortListIndex, 2);
     }},
    {"PortWithLeadingZero", {"f.hex", "/C:07"}, [](auto& r) { EXPECT_EQ(r.s.Comport, 7); }},
    {"Port32Refused", {"f.hex", "/C:32"}, [](auto& r) { EXPECT_EQ(r.s.Comport, 1); }},
    {"Port0RefusedAfterAValidOne",
     {"f.hex", "/C:31", "/C:0"},
     [](auto& r) {
         EXPECT_EQ(r.s.Comport, 31);
         EXPECT_EQ(r.panel.COMPortListIndex, 30);
     }},
    {"PauseLastWins",
     {"f.hex", "/T:3", "/T:5"},
     [](auto& r) { EXPECT_EQ(r.s.BatchPauseSeconds, 5); }},
    {"SecureThenLock",
     {"f.hex", "/S:1", "/S:0"},
     [](auto& r) {
         EXPECT_TRUE(r.s.LockMode && r.s.SecureMode);
         EXPECT_FALSE(r.s.SerialSafeMode);
     }},
    {"AllSecurityModes",
     {"f.hex", "/S:3"},
     [](auto& r) {
         EXPECT_TRUE(r.s.LockMode && r.s.SecureMode && r.s.SerialSafeMode);
         EXPECT_EQ(r.host.serialSafeWarningsShown, 1);
     }},
    {"SecurityDigitAbove3Ignored", {"f.hex", "/S:4"}, [](auto& r) { DefaultsOnly(r); }},
    {"ModeSwitchAsWord0NotApplied",
     {"/M:2", "FILE.HEX"},
     [](auto& r) {
         EXPECT_EQ(r.s.CmdHexFileName, "/M:2");
         EXPECT_EQ(r.s.DownloadMode, 1);
         EXPECT_EQ(r.s.CmdDataFileName, "");
     }},
    {"DataModesTakeWord1",
     {"f.hex", "Data.txt", "/M:0"},
     [](auto& r) {
         EXPECT_EQ(r.s.DownloadMode, 0);
         EXPECT_EQ(r.s.CmdDataFileName, "Data.txt");
     }},
    {"DataOnly",
     {"f.hex", "/M:2"},
     [](auto& r) {
         EXPECT_EQ(r.s.DownloadMode, 2);
         EXPECT_EQ(r.s.CmdDataFileName, "/M:2");
     }},
    {"CodeOnlyTakesNoDataFile",
     {"f.hex", "d.txt", "/M:1"},
     [](auto& r) { EXPECT_EQ(r.s.CmdDataFileName, ""); }},
    {"ModeAbove2Ignored", {"f.hex", "d.txt", "/M:3"}, [](auto& r) { DefaultsOnly(r); }},
    {"RunAddress",
     {"f.hex", "/r:e000"},
     [](auto& r) {
         EXPECT_EQ(r.s.RunAddress, 0xE000);
         EXPECT_TRUE(r.s.RunAfterDownload);
         EXPECT_EQ(r.panel.RunAddressTextbox.text, "E000");
     }},
    {"RunAddressOfLetters",
     {"f.hex", "/R:ZZZZ"},
     [](auto& r) {
         EXPECT_EQ(r.s.RunAddress, 0);
         EXPECT_TRUE(r.s.RunAfterDownload);
     }},
    {"RunAfterDownload", {"f.hex", "/R"}, [](auto& r) { EXPECT_TRUE(r.s.RunAfterDownload); }},
    {"EraseCodeOnly",
     {"f.hex", "/D"},
     [](auto& r) {
         EXPECT_FALSE(r.s.EraseMode);
         EXPECT_EQ(r.s.DownloadMode, 1);
         EXPECT_FALSE(r.panel.LockModeButton.enabled);
     }},
    // Passes run kind by kind: /D before /M and /S however the words are ordered.
    {"LaterPassesOverrideEraseMode",
     {"f.hex", "/M:0", "/S:0", "/D"},
     [](auto& r) {
         EXPECT_FALSE(r.s.EraseMode);
         EXPECT_EQ(r.s.DownloadMode, 0);
         EXPECT_TRUE(r.s.LockMode);
     }},
    {"BootloadEnablesTheDeviceOption",
     {"f.hex", "/B"},
     [](auto& r) {
         EXPECT_TRUE(r.s.BootloadOption && r.s.Bootload);
         EXPECT_EQ(r.panel.RunAddressTextbox.text, "E000");
         EXPECT_EQ(r.s.RunAddress, 0);  // taken at the next copy of the panel
     }},
    {"RunAddressPassComesAfterBootload",
     {"f.hex", "/R:C000", "/B"},
     [](auto& r) {
         EXPECT_EQ(r.s.RunAddress, 0xC000);
         EXPECT_EQ(r.panel.RunAddressTextbox.text, "E000");
         EXPECT_TRUE(r.s.Bootload);
     }},
    {"Crystal",
     {"f.hex", "/X:11.0592"},
     [](auto& r) {
         EXPECT_EQ(r.s.XTAL, 2);
         EXPECT_EQ(r.s.fcore, 11059200);
         EXPECT_EQ(r.s.PCBaudrate, 9599);
     }},
    {"CrystalValueEndsAtTheSecondColon",
     {"f.hex", "/X:20:5"},
     [](auto& r) {
         EXPECT_EQ(r.panel.FrequencyTextbox.text, "20");
         EXPECT_EQ(r.s.PCBaudrate, 9600);
     }},
    {"EmptyCrystalFallsBack",
     {"f.hex", "/X:"},
     [](auto& r) {
         ASSERT_EQ(r.host.messages.size(), 1u);
         EXPECT_EQ(r.host.messages[0].text.substr(0, 3), "'' ");
         EXPECT_EQ(r.s.fcore, 11059000);
     }},
    {"CrystalTextIsUpperCased",
     {"f.hex", "/x:abc"},
     [](auto& r) {
         ASSERT_EQ(r.host.messages.size(), 1u);
         EXPECT_EQ(r.host.messages[0].text.substr(0, 6), "'ABC' ");
     }},
    {"ZeroCrystal",
     {"f.hex", "/X:0"},
     [](auto& r) {
         EXPECT_EQ(r.host.messages,
                   (std::vector<ShownMessage>{{"Invalid Crystal Frequency", "Warning"}}));
     }},
};

INSTANTIATE_TEST_SUITE_P(Rows, Switches, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, SerialSafeSwitchAsksAndHonoursNo) {
    const CommandLineRun run({"f.hex", "/S:2"}, false);
    EXPECT_EQ(run.host.serialSafeWarningsShown, 1);
    EXPECT_FALSE(run.s.SerialSafeMode);
    EXPECT_FALSE(run.panel.SerialSafeModeButton.checked);
}

TEST(CommandLine, DeviceWithoutSecurityBitsIgnoresSecuritySwitches) {
    PanelFixture f;
    f.s.SecurityBitsOption = false;
    f.Fill();
    SetInputArgs(f.panel, f.s, {"f.hex", "/S:0"});
    EXPECT_FALSE(f.s.LockMode);
    EXPECT_FALSE(f.panel.LockModeButton.checked);
}

TEST(CommandLine, NoWordsLeavesNoFileName) {
    PanelFixture f;
    f.Fill();
    SetInputArgs(f.panel, f.s, {});
    EXPECT_EQ(f.s.CmdHexFileName, "");
}

}  // namespace
}  // namespace tovrel
