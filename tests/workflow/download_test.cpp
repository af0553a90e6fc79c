#include <gtest/gtest.h>

#include "tests/workflow/form_fixture.h"

namespace tovrel::testing {
namespace {

class DownloadSequence;

// One download: its exit status, what the device received, what the row changes before it,
// the log after the "Configuration: " line and the messages shown. The fault table has the
// failures of reset, port, erase, quick download, data file and data download.
struct Row {
    const char* name;
    int exitStatus;
    std::string received;
    std::function<void(DownloadSequence&, ConfigurationPanel&)> setup;
    Lines log;
    std::vector<ShownMessage> messages = {};
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

Lines operator+(Lines head, const Lines& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const std::string kUp = "Baudrate = 115200... OK";
const std::string kBack = "Baudrate = 9600... OK";
const std::string kSum = "CheckSum of [app.hex] is " + kHexSum;
const std::string kCode = "DOWNLOADING CODE [app.hex]:..........OK";
const std::string kData = "DOWNLOADING DATA [data.txt]:..........OK";
const std::string kSecured = "DOWNLOADING SECURITY BITS: ... OK";
const std::string kStarted = "STARTING USER CODE: ... OK";
const Lines kErased{"RESETTING PART: OK", kUp, "ERASING CODE AND DATA... OK"};
const Lines kCoded = kErased + Lines{kSum, kCode, "VERIFYING USER CODE: ... OK"};
const Lines kEnd{kData, kSecured, kBack, kStarted};
const std::string kAll = "R R B8120 A Q V E S06 FFF B8508 U000000";

class DownloadSequence : public FormTest, public ::testing::WithParamInterface<Row> {};

void Crystal(ConfigurationPanel& panel, const char* megahertz) {
    panel.SetText(panel.FrequencyTextbox, megahertz);
    panel.FrequencyTextbox_LostFocus();
    panel.Select(Option::XtalButton, 2);
}

// Code and data, verify, lock mode, run: every step of the sequence takes part, unless the
// row changes that on the panel.
TEST_P(DownloadSequence, LogsEachStepAndRunsOnlyWhatAFailureLeaves) {
    const Row& row = GetParam();
    host.fileDialogAnswers = {"app.hex", "data.txt"};
    Start();
    Configure([&](ConfigurationPanel& panel) {
        panel.Select(Option::DownloadCodeButton, 0);
        panel.SetChecked(Check::VerifyAfterDownloadButton, true);
        panel.SetChecked(Check::RunAfterDownloadButton, true);
        panel.SetChecked(Check::LockModeButton, true);
        row.setup(*this, panel);
    });
    form->DownloadButton_Click();

    std::string log;
    for (const std::string& line : row.log) log += line + "\r\n";
    EXPECT_EQ(Log().substr(Log().find(" baud\r\n") + 7), log);
    EXPECT_EQ(device.received, row.received);
    EXPECT_EQ(host.messages, row.messages);
    EXPECT_EQ(form->ExitStatus(), row.exitStatus);
    for (const auto& [filter, answer] : host.fileDialogs)  // each dialog offers its kind of file
        EXPECT_EQ(filter, answer.ends_with(".txt") ? "txt Files (*.txt)|*.txt"
                                                   : "Hex Files (*.Hex)|*.hex");
    EXPECT_FALSE(port.isOpen || form->mainWindow().ProgressState().visible);
    EXPECT_TRUE(ButtonsEnabled());
}

// clang-format off
const Row kRows[] = {
    {"EveryStep", 0, kAll, [](auto&, auto&) {}, kCoded + kEnd},
    {"CodeOnlyMode1", 0, "R R B8120 C Q V FFF B8508 U000000", [](auto&, auto& panel) {
         panel.Select(Option::EraseCodeButton, 0); },
     Lines{"RESETTING PART: OK", kUp, "ERASING CODE ONLY... OK", kSum, kCode,
           "VERIFYING USER CODE: ... OK", kBack, kStarted}},
    {"DataOnlyMode2SkipsVerify", 0, "R R B8120 A E S06 FFF B8508 U000000", [](auto& t, auto& panel) {
         t.host.fileDialogAnswers = {"data.txt"};
         panel.Select(Option::DownloadCodeButton, 2); },
     kErased + kEnd},
    {"CrystalBelow3MHzNeitherFastNorQuick", 0, "R R A W V E S06 FFF U000000",
     [](auto&, auto& panel) { Crystal(panel, "2.5"); },
     Lines{"RESETTING PART: OK", "ERASING CODE AND DATA... OK", kSum, kCode,
           "VERIFYING USER CODE: ... OK", kData, kSecured, kStarted}},
    {"Crystal3MHzFastAndQuick", 0, "R R B0000 A Q V E S06 FFF B8508 U000000",
     [](auto&, auto& panel) { Crystal(panel, "3"); },
     Lines{"RESETTING PART: OK", "Baudrate = 57600... OK", "ERASING CODE AND DATA... OK", kSum,
           kCode, "VERIFYING USER CODE: ... OK", kData, kSecured, "Baudrate = 2618... OK",
           kStarted}},
    {"HexDialogCancelled", 1, "R R B8120 A B8508",
     [](auto& t, auto&) { t.host.fileDialogAnswers.clear(); }, kErased + Lines{kBack}},
    {"HexRecordBroken", 1, "R R B8120 A B8508", [](auto& t, auto&) {
         t.WriteFile("app.hex", {":03000000020100FB", ":00000001FF"}); },
     kErased + Lines{"failed......error in hex file", "CheckSum of [app.hex] is 101hex - 257 Dec",
                     kBack}, {{"Invalid Hex File", "Warning"}}},
    {"ChecksumMismatch", 1, "R R B8120 A B8508", [](auto&, auto& panel) {
         panel.SetChecked(Check::Check1, true);
         panel.SetText(panel.HexFileCHKSUM, "-1");
         panel.HexFileCHKSUM_LostFocus(); },
     kErased + Lines{"failed......error in hex file",
                     "expected FFFFFFFF hex for [app.hex] ... calculated 600 hex !!", kBack},
     {{"Checksum of file to download does not match required checksum ",
       "Tovrel - Hex File Error"}}},
    {"VerifyFailsLaterStepsRun", 1, kAll, [](auto& t, auto&) { t.device.badReads = true; },
     kErased + Lines{kSum, kCode, "VERIFYING USER CODE: ... failed"} + kEnd},
    {"SecurityBitsRefused", 1, "R R B8120 A Q V E S06 B8508",
     [](auto& t, auto&) { t.device.refuse['S'] = 1; },
     kCoded + Lines{kData, "DOWNLOADING SECURITY BITS: ... failed", kBack}},
    {"BootloadOffRefused", 1, "R R B8120 A Q V E S06 FFF B8508",
     [](auto& t, auto&) { t.device.refuse['F'] = 1; },
     kCoded + Lines{kData, kSecured, "Error with Bootload mode", kBack}},
    {"BootloadOnRefused", 1, "R R B8120 A Q V E S06 FFE B8508", [](auto& t, auto& panel) {
         panel.SetChecked(Check::BootloadOptionButton, true);
         t.device.refuse['F'] = 1; },
     kCoded + Lines{kData, kSecured, "ENABLING BOOTLOAD MODE: ... failed", kBack}},
    {"BackTo9600Refused", 1, kAll, [](auto& t, auto&) { t.device.refuse['B'] = 2; },
     kCoded + Lines{kData, kSecured, "Baudrate = 115200... failed", kStarted},
     {{"Error encountered while changing baudrate", "Warning"}}},
    {"VerifyFilesNamed", 0, kAll,
     [](auto&, auto& panel) { panel.SetChecked(Check::GenerateVResultCheck, true); },
     kCoded + Lines{"VERIFY CODE WRITTEN TO FILE [verify.hex]",
                    "VERIFY CODE WRITTEN TO FILE [verify.bin]"} + kEnd},
    // Yes on the panel, then Yes or No before the bits are programmed.
    {"SerialSafeConfirmed", 0, "R R B8120 A Q V E S03 FFF B8508 U000000", [](auto& t, auto& panel) {
         t.host.serialSafeAnswers = {true, true};
         panel.SetChecked(Check::LockModeButton, false);
         panel.SetChecked(Check::SerialSafeModeButton, true); },
     kCoded + kEnd},
    {"SerialSafeRefusedSendsNoSecurityBits", 0, "R R B8120 A Q V E FFF B8508 U000000",
     [](auto& t, auto& panel) {
         t.host.serialSafeAnswers = {true, false};
         panel.SetChecked(Check::LockModeButton, false);
         panel.SetChecked(Check::SerialSafeModeButton, true); },
     kCoded + Lines{kData, kBack, kStarted}},
    // The choices stay on the panel; the device's lack of them decides.
    {"DeviceWithoutVerifySecurityOrBootload", 0, "R R B8120 A Q E B8508 U000000",
     [](auto& t, auto&) { t.WriteProfile("False"); },
     kErased + Lines{kSum, kCode, kData, kBack, kStarted}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Rows, DownloadSequence, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrel::testing
