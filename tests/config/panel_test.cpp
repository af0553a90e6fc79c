#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "config/command_line.h"
#include "config/configuration_panel.h"
#include "tests/support/fake_host.h"
#include "tests/support/map_settings_store.h"

namespace tovrel {
namespace {

using testing::ShownMessage;
using Messages = std::vector<ShownMessage>;
constexpr std::int32_t kUntouched = 1234;

// A panel on a record holding the start-up defaults, filled once the way start-up fills it.
struct PanelFixture {
    Settings s;
    testing::FakeHost host;
    ConfigurationPanel panel{s, host};
    PanelFixture() {
        LoadDefaultData(s);
        panel.FillCOMPortList();
    }
    void Fill() { panel.UpdateConfigurationWindow(); }
};

ShownMessage InputError(const std::string& text, const std::string& what, const char* example) {
    return {
        "'" + text + "' is not a valid input for the " + what + ". Please enter a valid " + example,
        "Tovrel"};
}
ShownMessage FrequencyError(const std::string& text) {
    return InputError(text, "Other Crystal Frequency (Mhz)",
                      "decimal number.\r\n\r\ne.g. Use '11.095' instead of '11095200'.");
}

// Decimal integers of 32 bits, a half to even; anything else: the input error, and 0.
TEST(ExpectedChecksum, TakesDecimalIntegersOf32Bits) {
    // clang-format off
    for (auto [text, expected, error] : {std::tuple{" 23 ", 23, false}, {"-5", -5, false},
         {"2.5", 2, false}, {"2147483647", INT32_MAX, false}, {"-2147483648", INT32_MIN, false},
         {"2147483648", 0, true}, {"2147483647.5", 0, true}, {"", 0, true}, {"0x17", 0, true},
         {"1.2.3", 0, true}}) {
        // clang-format on
        PanelFixture f;
        f.s.ExpectedChecksum = 99;
        f.panel.SetText(f.panel.HexFileCHKSUM, text);
        f.panel.HexFileCHKSUM_LostFocus();
        EXPECT_EQ(std::tie(f.s.ExpectedChecksum, f.panel.HexFileCHKSUM.text),
                  std::make_tuple(expected, error ? "0" : text));
        const ShownMessage message = InputError(
            text, "Expected Checksum", "decimal number.\r\n\r\ne.g. Use '23' instead of '0x17'.");
        EXPECT_EQ(f.host.messages, error ? Messages{message} : Messages{});
    }
}

// The rates shown for a typed crystal ("-": kept) and what the record takes at once: the 14400
// rule, no fast rate below 2 MHz. Only a crystal too fast for any PC rate is an input error.
TEST(FrequencyLostFocus, ShowsTheRatesOfTheTypedCrystal) {
    // clang-format off
    for (auto [typed, shown, kernel, pc, pcBaudrate, fast] :
         {std::tuple{"11.0592", "11.0592", "9600", "9599", kUntouched, true},
          {"16", "16", "13889", "14399", 14400, true}, {"20", "20", "9600", "9600", 9600, true},
          {"0.032768", "0.032768", "28", "28", kUntouched, false},
          {"MHz", "0", "-", "-", kUntouched, true}, {"1000", "1000", "-", "-", kUntouched, true},
          {"265.4207", "265.4207", "230400", "115199", kUntouched, true},
          {"265.4208", "11.059", "-", "-", kUntouched, true}}) {
        // clang-format on
        PanelFixture f;
        f.s.PCBaudrate = kUntouched;
        f.panel.KernelBaudrateTextbox.text = f.panel.PCBaudrateTextbox.text = "-";
        f.panel.SetText(f.panel.FrequencyTextbox, typed);
        f.panel.FrequencyTextbox_LostFocus();
        EXPECT_EQ(std::tie(f.panel.FrequencyTextbox.text, f.panel.KernelBaudrateTextbox.text,
                           f.panel.PCBaudrateTextbox.text, f.s.PCBaudrate, f.s.FastBaudrateOption),
                  std::tuple(shown, kernel, pc, pcBaudrate, fast));
        const bool error = std::string(shown) == "11.059";
        EXPECT_EQ(f.host.messages, error ? Messages{FrequencyError(typed)} : Messages{});
    }
}

// The configuration fields the panel carries both ways, the three security modes apart.
using Configuration = std::tuple<std::int16_t, std::int16_t, std::int16_t, bool, bool, bool, bool,
                                 std::int32_t, bool, bool, bool>;
auto Fields(Settings& s) {
    return std::tie(s.Comport, s.XTAL, s.DownloadMode, s.EraseMode, s.LockMode, s.SecureMode,
                    s.SerialSafeMode, s.RunAddress, s.RunAfterDownload, s.VerifyAfterDownload,
                    s.Bootload);
}

TEST(RoundTrip, WindowThenDataGivesTheRecordBack) {
    // clang-format off
    for (const Configuration& c :
         {Configuration{32, 1, 0, true, true, false, true, 0x1234, true, true, false},
          Configuration{7, 0, 2, true, false, true, false, 0x7FFFFFFF, false, true, false},
          Configuration{3, 1, 1, false, true, false, false, 0xE000, true, false, true}}) {
        // clang-format on
        PanelFixture f;
        f.host.serialSafeAnswers = {true};
        f.panel.Select(Option::EraseCodeButton, 0);  // controls the fill must put back
        f.panel.SetChecked(Check::RunAfterDownloadButton, true);
        Fields(f.s) = c;
        f.Fill();  // a stored serial-safe mode shows the warning once
        EXPECT_EQ(f.host.serialSafeWarningsShown, std::get<6>(c) ? 1 : 0);
        LoadDefaultData(f.s);  // back to defaults: everything must come from the controls
        EXPECT_TRUE(f.panel.UpdateConfigurationData());
        EXPECT_EQ(Configuration(Fields(f.s)), c);
        EXPECT_TRUE(f.host.messages.empty());
    }
}

using Outcome = std::map<std::string, std::string>;

// A command-line start on the defaults. What it leaves: the record as the store keeps it, the
// command-line fields, the panel's boxes, the warnings and the messages shown.
Outcome Start(const std::vector<std::string>& words, bool securityBits = true, bool yes = true) {
    PanelFixture f;
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
    o["hex"] = f.s.CmdHexFileName, o["data"] = f.s.CmdDataFileName;
    o["pause"] = std::to_string(f.s.BatchPauseSeconds);
    o["warnings"] = std::to_string(f.host.serialSafeWarningsShown);
    o["runText"] = p.RunAddressTextbox.text, o["frequency"] = p.FrequencyTextbox.text;
    o["portIndex"] = std::to_string(p.COMPortListIndex);
    o["lockBox"] = std::to_string(p.LockModeButton.checked * 10 + p.LockModeButton.enabled);
    for (const auto& m : f.host.messages) o["shown"] += m.text;
    return o;
}

// Each row: the words, and how their outcome differs from that of the words {"f.hex"}.
struct SwitchCase {
    const char* name;
    std::vector<std::string> words;
    Outcome differs{};
    bool securityBits = true;
    bool serialSafeAnswer = true;
};
class Switches : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(Switches, ActThroughThePanel) {
    const SwitchCase& c = GetParam();
    Outcome expected = Start({"f.hex"}, c.securityBits, c.serialSafeAnswer);
    for (const auto& [key, value] : c.differs) expected[key] = value;
    EXPECT_EQ(Start(c.words, c.securityBits, c.serialSafeAnswer), expected);
}

std::string BadCrystal(const std::string& text) { return FrequencyError(text).text; }
const Outcome kOther{{"XTAL", "2"}};
Outcome operator+(Outcome a, const Outcome& b) {
    for (const auto& [key, value] : b) a[key] = value;
    return a;
}

// clang-format off
const SwitchCase kCases[] = {
    {"UnknownWordsIgnored", {"f.hex", "", "/Q", "/D:1", "/C:123", "/T:10", "/R:12", "/X", "/v "}},
    {"LeadingSwitchIsTheFileName", {"/V", "FILE.HEX"}, {{"hex", "/V"}}},
    {"LowerCasePort", {"f.hex", "/c:3"}, {{"Comport", "3"}, {"portIndex", "2"}}},
    {"PortWithLeadingZero", {"f.hex", "/C:07"}, {{"Comport", "7"}, {"portIndex", "6"}}},
    {"Port32Refused", {"f.hex", "/C:32"}},
    {"PauseLastWins", {"f.hex", "/T:3", "/T:5"}, {{"pause", "5"}}},
    {"SecureThenLock", {"f.hex", "/S:1", "/S:0"},
     {{"LockMode", "True"}, {"SecureMode", "True"}, {"lockBox", "11"}}},
    {"AllSecurityModes", {"f.hex", "/S:3"}, {{"LockMode", "True"}, {"SecureMode", "True"},
     {"SerialSafeMode", "True"}, {"lockBox", "11"}, {"warnings", "1"}}},
    {"SerialSafeRefusedInTheWarning", {"f.hex", "/S:2"}, {{"warnings", "1"}}, true, false},
    {"SecurityDigitAbove3Ignored", {"f.hex", "/S:4"}},
    {"DeviceWithoutSecurityBits", {"f.hex", "/S:0"}, {}, false},
    {"ModeSwitchAsWord0NotApplied", {"/M:2", "FILE.HEX"}, {{"hex", "/M:2"}}},
    {"DataModesTakeWord1", {"f.hex", "Data.txt", "/M:0"},
     {{"DownloadMode", "0"}, {"data", "Data.txt"}}},
    {"DataOnly", {"f.hex", "/M:2"}, {{"DownloadMode", "2"}, {"data", "/M:2"}}},
    {"RunAddress", {"f.hex", "/r:e000"},
     {{"RunAddress", "57344"}, {"RunAfterDownload", "True"}, {"runText", "E000"}}},
    {"RunAddressOfLetters", {"f.hex", "/R:ZZZZ"},
     {{"RunAfterDownload", "True"}, {"runText", "ZZZZ"}}},
    {"EraseCodeOnly", {"f.hex", "/D"}, {{"EraseMode", "False"}, {"lockBox", "0"}}},
    // Passes run kind by kind: /D before /M and /S however the words are ordered; a box the
    // erase pass disabled is still checked by the security pass.
    {"LaterPassesOverrideEraseMode", {"f.hex", "/M:0", "/S:0", "/D"}, {{"EraseMode", "False"},
     {"DownloadMode", "0"}, {"data", "/M:0"}, {"LockMode", "True"}, {"lockBox", "10"}}},
    // Bootload mode starts the code at E000 in the same run, whatever run address is named.
    {"BootloadOverRunAddress", {"f.hex", "/R:C000", "/B"}, {{"Bootload", "True"},
     {"RunAfterDownload", "True"}, {"RunAddress", "57344"}, {"runText", "E000"}}},
    // "Other crystal": the clock and PC rate follow the text, or it falls back with a message.
    {"CrystalValueEndsAtTheSecondColon", {"f.hex", "/X:20:5"}, kOther + Outcome{
     {"fcore", "20000000"}, {"PCBaudrate", "9600"}, {"frequency", "20"}}},
    {"CrystalWithTheLastPcRate", {"f.hex", "/X:265.4207"}, kOther + Outcome{
     {"fcore", "265420700"}, {"PCBaudrate", "115199"}, {"frequency", "265.4207"}}},
    {"CrystalWithoutPcRate", {"f.hex", "/X:265.4208"}, kOther + Outcome{{"fcore", "265420800"},
     {"frequency", "11.059"}, {"shown", BadCrystal("265.4208")}}},
    {"CrystalWithTheLastDivisor", {"f.hex", "/X:0.533"}, kOther + Outcome{{"fcore", "533000"},
     {"PCBaudrate", "462"}, {"frequency", "0.533"}}},
    {"CrystalBeyondTheLastDivisor", {"f.hex", "/X:0.53"}, kOther + Outcome{{"fcore", "530000"},
     {"frequency", "0.53"}}},
    {"EmptyCrystalFallsBack", {"f.hex", "/X:"}, kOther + Outcome{{"fcore", "11059000"},
     {"PCBaudrate", "9599"}, {"frequency", "11.059"}, {"shown", BadCrystal("")}}},
    {"ZeroCrystal", {"f.hex", "/X:0"}, kOther + Outcome{{"frequency", "0"},
     {"shown", "Invalid Crystal Frequency"}}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Rows, Switches, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrel
