#include "config/command_line.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/config/panel_fixture.h"

namespace tovrel {
namespace {

using testing::PanelFixture;

// A command-line start: defaults, the panel filled, then the switches.
struct CommandLineRun : PanelFixture {
    CommandLineRun(const std::vector<std::string>& words, bool securityBits, bool answer) {
        s.BatchPauseSeconds = 7;  // left over from nowhere: must be reset
        s.SecurityBitsOption = securityBits;
        host.serialSafeAnswers = {answer};
        Fill();
        SetInputArgs(panel, s, words);
    }
};

// What a run leaves in the record, the panel and the host.
struct Outcome {
    std::string hexFile, dataFile, runText, frequencyText;
    int comport, portIndex, downloadMode, xtal, pause, warnings;
    std::int32_t runAddress, fcore, pcBaudrate;
    bool erase, lock, secure, serialSafe, lockBox, lockEnabled, run, verify, bootload;
    std::vector<std::string> messages{};
    auto Tie() const {
        return std::make_tuple(hexFile, dataFile, runText, frequencyText, comport, portIndex,
                               downloadMode, xtal, pause, warnings, runAddress, fcore, pcBaudrate,
                               erase, lock, secure, serialSafe, lockBox, lockEnabled, run, verify,
                               bootload, messages);
    }
};

Outcome Observe(const CommandLineRun& r) {
    const Settings& s = r.s;
    const ConfigurationPanel& p = r.panel;
    // clang-format off
    Outcome o{s.CmdHexFileName, s.CmdDataFileName, p.RunAddressTextbox.text,
              p.FrequencyTextbox.text, s.Comport, p.COMPortListIndex, s.DownloadMode, s.XTAL, s.BatchPauseSeconds,
              r.host.serialSafeWarningsShown, s.RunAddress, s.fcore, s.PCBaudrate, s.EraseMode,
              s.LockMode, s.SecureMode, s.SerialSafeMode, p.LockModeButton.checked,
              p.LockModeButton.enabled, s.RunAfterDownload, s.VerifyAfterDownload, s.Bootload};
    // clang-format on
    for (const auto& m : r.host.messages) o.messages.push_back(m.text);
    return o;
}

TEST(CommandLine, FileAloneLeavesTheDefaults) {
    const Outcome o = Observe(CommandLineRun({"Prog.Hex"}, true, true));
    EXPECT_EQ(o.hexFile, "Prog.Hex");
    EXPECT_TRUE(o.erase && o.dataFile.empty() && o.messages.empty());
    EXPECT_EQ(std::tie(o.downloadMode, o.comport, o.pause, o.runAddress),
              std::make_tuple(1, 1, 0, 0));
    EXPECT_FALSE(o.verify || o.run || o.bootload || o.lock || o.secure || o.serialSafe);
}

// Each row: the words, and how their outcome differs from that of the words {"f.hex"}.
struct SwitchCase {
    const char* name;
    std::vector<std::string> words;
    void (*differs)(Outcome&);
    bool securityBits = true;
    bool serialSafeAnswer = true;
    friend void PrintTo(const SwitchCase& c, std::ostream* os) { *os << c.name; }
};
class Switches : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(Switches, ActThroughThePanel) {
    const SwitchCase& c = GetParam();
    Outcome expected = Observe(CommandLineRun({"f.hex"}, c.securityBits, c.serialSafeAnswer));
    c.differs(expected);
    EXPECT_EQ(Observe(CommandLineRun(c.words, c.securityBits, c.serialSafeAnswer)).Tie(),
              expected.Tie());
}

void Same(Outcome&) {}

// clang-format off
const SwitchCase kCases[] = {
    {"NoWords", {}, [](Outcome& o) { o.hexFile = ""; }},
    {"PathWithBlankIsOneWord", {"C:/My Files/a b.hex", "/V"},
     [](Outcome& o) { o.hexFile = "C:/My Files/a b.hex"; o.verify = true; }},
    {"UnknownWordsIgnored", {"f.hex", "", "/Q", "/D:1", "/C:123", "/T:10", "/R:12", "/X", "/v "},
     Same},
    {"LeadingSwitchIsTheFileName", {"/V", "FILE.HEX"}, [](Outcome& o) { o.hexFile = "/V"; }},
    {"LowerCasePort", {"f.hex", "/c:3"}, [](Outcome& o) { o.comport = 3; o.portIndex = 2; }},
    {"PortWithLeadingZero", {"f.hex", "/C:07"}, [](Outcome& o) { o.comport = 7; o.portIndex = 6; }},
    {"Port32Refused", {"f.hex", "/C:32"}, Same},
    {"Port0RefusedAfterAValidOne", {"f.hex", "/C:31", "/C:0"},
     [](Outcome& o) { o.comport = 31; o.portIndex = 30; }},
    {"PauseLastWins", {"f.hex", "/T:3", "/T:5"}, [](Outcome& o) { o.pause = 5; }},
    {"SecureThenLock", {"f.hex", "/S:1", "/S:0"},
     [](Outcome& o) { o.lock = o.secure = o.lockBox = true; }},
    {"AllSecurityModesAfterTheWarning", {"f.hex", "/S:3"},
     [](Outcome& o) { o.lock = o.secure = o.serialSafe = o.lockBox = true; o.warnings = 1; }},
    {"SerialSafeRefusedInTheWarning", {"f.hex", "/S:2"}, [](Outcome& o) { o.warnings = 1; }, true,
     false},
    {"SecurityDigitAbove3Ignored", {"f.hex", "/S:4"}, Same},
    {"DeviceWithoutSecurityBits", {"f.hex", "/S:0"}, Same, false},
    {"ModeSwitchAsWord0NotApplied", {"/M:2", "FILE.HEX"}, [](Outcome& o) { o.hexFile = "/M:2"; }},
    {"DataModesTakeWord1", {"f.hex", "Data.txt", "/M:0"},
     [](Outcome& o) { o.downloadMode = 0; o.dataFile = "Data.txt"; }},
    {"DataOnly", {"f.hex", "/M:2"}, [](Outcome& o) { o.downloadMode = 2; o.dataFile = "/M:2"; }},
    {"CodeOnlyTakesNoDataFile", {"f.hex", "d.txt", "/M:1"}, Same},
    {"ModeAbove2Ignored", {"f.hex", "d.txt", "/M:3"}, Same},
    {"RunAddress", {"f.hex", "/r:e000"},
     [](Outcome& o) { o.runAddress = 0xE000; o.run = true; o.runText = "E000"; }},
    {"RunAddressOfLetters", {"f.hex", "/R:ZZZZ"},
     [](Outcome& o) { o.run = true; o.runText = "ZZZZ"; }},
    {"RunAfterDownload", {"f.hex", "/R"}, [](Outcome& o) { o.run = true; }},
    {"EraseCodeOnly", {"f.hex", "/D"}, [](Outcome& o) { o.erase = o.lockEnabled = false; }},
    // Passes run kind by kind: /D before /M and /S however the words are ordered; a box the
    // erase pass disabled is still checked by the security pass.
    {"LaterPassesOverrideEraseMode", {"f.hex", "/M:0", "/S:0", "/D"}, [](Outcome& o) {
         o.erase = o.lockEnabled = false; o.downloadMode = 0; o.dataFile = "/M:0";
         o.lock = o.lockBox = true; }},
    // Bootload mode starts the code at E000 in the same run, whatever run address is named.
    {"Bootload", {"f.hex", "/B"},
     [](Outcome& o) { o.bootload = true; o.runText = "E000"; o.runAddress = 0xE000; }},
    {"BootloadOverRunAddress", {"f.hex", "/R:C000", "/B"}, [](Outcome& o) {
         o.bootload = o.run = true; o.runAddress = 0xE000; o.runText = "E000"; }},
    {"Crystal", {"f.hex", "/X:11.0592"}, [](Outcome& o) {
         o.xtal = 2; o.fcore = 11059200; o.pcBaudrate = 9599; o.frequencyText = "11.0592"; }},
    {"CrystalValueEndsAtTheSecondColon", {"f.hex", "/X:20:5"}, [](Outcome& o) {
         o.xtal = 2; o.fcore = 20000000; o.pcBaudrate = 9600; o.frequencyText = "20"; }},
    {"EmptyCrystalFallsBack", {"f.hex", "/X:"}, [](Outcome& o) {
         o.xtal = 2; o.fcore = 11059000; o.pcBaudrate = 9599; o.frequencyText = "11.059";
         o.messages = {testing::FrequencyError("").text}; }},
    {"CrystalTextIsUpperCased", {"f.hex", "/x:abc"}, [](Outcome& o) {
         o.xtal = 2; o.fcore = 11059000; o.pcBaudrate = 9599; o.frequencyText = "11.059";
         o.messages = {testing::FrequencyError("ABC").text}; }},
    {"ZeroCrystal", {"f.hex", "/X:0"}, [](Outcome& o) {
         o.xtal = 2; o.frequencyText = "0"; o.messages = {"Invalid Crystal Frequency"}; }},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Rows, Switches, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrel
