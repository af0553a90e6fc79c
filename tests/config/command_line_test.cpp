#include "config/command_line.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/config/panel_fixture.h"
#include "tests/support/map_settings_store.h"

namespace tovrel {
namespace {

using Outcome = std::map<std::string, std::string>;

// A command-line start: defaults, the panel filled, then the switches. What it leaves: the
// record as the store would keep it, and by name the command-line fields, the panel's boxes,
// the warnings and the messages shown.
Outcome Start(const std::vector<std::string>& words, bool securityBits = true, bool yes = true) {
    testing::PanelFixture f;
    f.s.BatchPauseSeconds = 7;  // left over from nowhere: must be reset
    f.s.PCBaudrate = 1234;      // kept unless a crystal sets it
    f.s.SecurityBitsOption = securityBits;
    f.host.serialSafeAnswers = {yes};
    f.Fill();
    SetInputArgs(f.panel, f.s, words);
    testing::MapSettingsStore store;
    SaveSavedData(f.s, store);
    Outcome o;
    for (const auto& [key, value] : store.values) o[std::get<2>(key)] = value;
    const ConfigurationPanel& p = f.panel;
    o["hex"] = f.s.CmdHexFileName;
    o["data"] = f.s.CmdDataFileName;
    o["pause"] = std::to_string(f.s.BatchPauseSeconds);
    o["warnings"] = std::to_string(f.host.serialSafeWarningsShown);
    o["runText"] = p.RunAddressTextbox.text;
    o["frequency"] = p.FrequencyTextbox.text;
    o["portIndex"] = std::to_string(p.COMPortListIndex);
    o["lockBox"] = std::to_string(p.LockModeButton.checked) + std::to_string(p.LockModeButton.enabled);
    for (const auto& m : f.host.messages) o["shown"] += m.text;
    return o;
}

// A file name alone: the defaults (erase code and data, code only, no verify, no run), no
// pause, the name as given.
TEST(CommandLine, FileAloneLeavesTheDefaults) {
    Outcome o = Start({"Prog.Hex"});
    Settings defaults;
    LoadDefaultData(defaults);
    defaults.PCBaudrate = 1234;
    testing::MapSettingsStore store;
    SaveSavedData(defaults, store);
    for (const auto& [key, value] : store.values) EXPECT_EQ(o[std::get<2>(key)], value);
    EXPECT_EQ(o["hex"] + o["data"] + o["pause"] + o["shown"], "Prog.Hex0");
}

// Each row: the words, and how their outcome differs from that of the words {"f.hex"}.
struct SwitchCase {
    const char* name;
    std::vector<std::string> words;
    Outcome differs;
    bool securityBits = true;
    bool serialSafeAnswer = true;
    friend void PrintTo(const SwitchCase& c, std::ostream* os) { *os << c.name; }
};
class Switches : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(Switches, ActThroughThePanel) {
    const SwitchCase& c = GetParam();
    Outcome expected = Start({"f.hex"}, c.securityBits, c.serialSafeAnswer);
    for (const auto& [key, value] : c.differs) expected[key] = value;
    EXPECT_EQ(Start(c.words, c.securityBits, c.serialSafeAnswer), expected);
}

std::string BadCrystal(const std::string& text) { return testing::FrequencyError(text).text; }
const Outcome kOther{{"XTAL", "2"}};
Outcome operator+(Outcome a, const Outcome& b) {
    for (const auto& [key, value] : b) a[key] = value;
    return a;
}

// clang-format off
const SwitchCase kCases[] = {
    {"NoWords", {}, {{"hex", ""}}},
    {"PathWithBlankIsOneWord", {"C:/My Files/a b.hex", "/V"},
     {{"hex", "C:/My Files/a b.hex"}, {"VerifyAfterDownload", "True"}}},
    {"UnknownWordsIgnored", {"f.hex", "", "/Q", "/D:1", "/C:123", "/T:10", "/R:12", "/X", "/v "}},
    {"LeadingSwitchIsTheFileName", {"/V", "FILE.HEX"}, {{"hex", "/V"}}},
    {"LowerCasePort", {"f.hex", "/c:3"}, {{"Comport", "3"}, {"portIndex", "2"}}},
    {"PortWithLeadingZero", {"f.hex", "/C:07"}, {{"Comport", "7"}, {"portIndex", "6"}}},
    {"Port32Refused", {"f.hex", "/C:32"}},
    {"Port0RefusedAfterAValidOne", {"f.hex", "/C:31", "/C:0"},
     {{"Comport", "31"}, {"portIndex", "30"}}},
    {"PauseLastWins", {"f.hex", "/T:3", "/T:5"}, {{"pause", "5"}}},
    {"SecureThenLock", {"f.hex", "/S:1", "/S:0"},
     {{"LockMode", "True"}, {"SecureMode", "True"}, {"lockBox", "11"}}},
    {"SerialSafeAfterTheWarning", {"f.hex", "/S:2"}, {{"SerialSafeMode", "True"}, {"warnings", "1"}}},
    {"AllSecurityModes", {"f.hex", "/S:3"}, {{"LockMode", "True"}, {"SecureMode", "True"},
     {"SerialSafeMode", "True"}, {"lockBox", "11"}, {"warnings", "1"}}},
    {"SerialSafeRefusedInTheWarning", {"f.hex", "/S:2"}, {{"warnings", "1"}}, true, false},
    {"SecurityDigitAbove3Ignored", {"f.hex", "/S:4"}},
    {"DeviceWithoutSecurityBits", {"f.hex", "/S:0"}, {}, false},
    {"ModeSwitchAsWord0NotApplied", {"/M:2", "FILE.HEX"}, {{"hex", "/M:2"}}},
    {"DataModesTakeWord1", {"f.hex", "Data.txt", "/M:0"},
     {{"DownloadMode", "0"}, {"data", "Data.txt"}}},
    {"DataOnly", {"f.hex", "/M:2"}, {{"DownloadMode", "2"}, {"data", "/M:2"}}},
    {"CodeOnlyTakesNoDataFile", {"f.hex", "d.txt", "/M:1"}},
    {"ModeAbove2Ignored", {"f.hex", "d.txt", "/M:3"}},
    {"RunAddress", {"f.hex", "/r:e000"},
     {{"RunAddress", "57344"}, {"RunAfterDownload", "True"}, {"runText", "E000"}}},
    {"RunAddressOfLetters", {"f.hex", "/R:ZZZZ"}, {{"RunAfterDownload", "True"}, {"runText", "ZZZZ"}}},
    {"RunAfterDownload", {"f.hex", "/R"}, {{"RunAfterDownload", "True"}}},
    {"EraseCodeOnly", {"f.hex", "/D"}, {{"EraseMode", "False"}, {"lockBox", "00"}}},
    // Passes run kind by kind: /D before /M and /S however the words are ordered; a box the
    // erase pass disabled is still checked by the security pass.
    {"LaterPassesOverrideEraseMode", {"f.hex", "/M:0", "/S:0", "/D"}, {{"EraseMode", "False"},
     {"DownloadMode", "0"}, {"data", "/M:0"}, {"LockMode", "True"}, {"lockBox", "10"}}},
    // Bootload mode starts the code at E000 in the same run, whatever run address is named.
    {"Bootload", {"f.hex", "/B"},
     {{"Bootload", "True"}, {"RunAddress", "57344"}, {"runText", "E000"}}},
    {"BootloadOverRunAddress", {"f.hex", "/R:C000", "/B"}, {{"Bootload", "True"},
     {"RunAfterDownload", "True"}, {"RunAddress", "57344"}, {"runText", "E000"}}},
    // "Other crystal": the clock and the PC rate follow the text, or the text falls back to
    // 11.059 with one message; the 14400 rule belongs to the box's lost focus only.
    {"Crystal", {"f.hex", "/X:11.0592"}, kOther + Outcome{{"fcore", "11059200"},
     {"PCBaudrate", "9599"}, {"frequency", "11.0592"}}},
    {"CrystalValueEndsAtTheSecondColon", {"f.hex", "/X:20:5"}, kOther + Outcome{
     {"fcore", "20000000"}, {"PCBaudrate", "9600"}, {"frequency", "20"}}},
    {"Crystal16", {"f.hex", "/X:16"}, kOther + Outcome{{"fcore", "16000000"},
     {"PCBaudrate", "14399"}, {"frequency", "16"}}},
    {"CrystalWithTheLastPcRate", {"f.hex", "/X:265.4207"}, kOther + Outcome{
     {"fcore", "265420700"}, {"PCBaudrate", "115199"}, {"frequency", "265.4207"}}},
    {"CrystalWithoutPcRate", {"f.hex", "/X:265.4208"}, kOther + Outcome{{"fcore", "265420800"},
     {"frequency", "11.059"}, {"shown", BadCrystal("265.4208")}}},
    {"CrystalWithTheLastDivisor", {"f.hex", "/X:0.533"}, kOther + Outcome{{"fcore", "533000"},
     {"PCBaudrate", "462"}, {"frequency", "0.533"}}},
    {"CrystalBeyondTheLastDivisor", {"f.hex", "/X:0.53"}, kOther + Outcome{{"fcore", "530000"},
     {"frequency", "0.53"}}},
    {"NegativeCrystal", {"f.hex", "/X:-5"}, kOther + Outcome{{"fcore", "-5000000"},
     {"frequency", "-5"}}},
    {"CrystalRoundingTo0Hz", {"f.hex", "/X:0.0000001"}, kOther + Outcome{{"frequency", "11.059"},
     {"shown", BadCrystal("0.0000001")}}},
    // Too large for the clock field, which keeps its 0: still one message.
    {"CrystalBeyondTheClockField", {"f.hex", "/X:5000"}, kOther + Outcome{{"frequency", "11.059"},
     {"shown", BadCrystal("5000")}}},
    {"EmptyCrystalFallsBack", {"f.hex", "/X:"}, kOther + Outcome{{"fcore", "11059000"},
     {"PCBaudrate", "9599"}, {"frequency", "11.059"}, {"shown", BadCrystal("")}}},
    {"CrystalTextIsUpperCased", {"f.hex", "/x:abc"}, kOther + Outcome{{"fcore", "11059000"},
     {"PCBaudrate", "9599"}, {"frequency", "11.059"}, {"shown", BadCrystal("ABC")}}},
    {"ZeroCrystal", {"f.hex", "/X:0"}, kOther + Outcome{{"frequency", "0"},
     {"shown", "Invalid Crystal Frequency"}}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Rows, Switches, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrel
