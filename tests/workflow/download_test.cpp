#include <gtest/gtest.h>

#include "tests/workflow/form_fixture.h"

namespace tovrel::testing {
namespace {

class DownloadSequence;

// One download: its exit status, the runs of command letters the device received, what the
// row changes before it, the log after the "Configuration: " line and the messages shown.
struct Row {
    const char* name;
    int exitStatus;
    std::string received;
    std::function<void(DownloadSequence&, ConfigurationPanel&)> setup;
    Lines log;
    std::vector<ShownMessage> messages = {};
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

using Shown = std::vector<ShownMessage>;

Lines operator+(Lines head, const Lines& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const std::string kUp = "Baudrate = 115200... OK";
const std::string kBack = "Baudrate = 9600... OK";
const std::string kSum = "CheckSum of [app.hex] is " + kHexSum;
const std::string kCode = "DOWNLOADING CODE [app.hex]:..........OK";
const std::string kVerified = "VERIFYING USER CODE: ... OK";
const std::string kData = "DOWNLOADING DATA [data.txt]:..........OK";
const std::string kSecured = "DOWNLOADING SECURITY BITS: ... OK";
const std::string kStarted = "STARTING USER CODE: ... OK";
const Lines kErased{"RESETTING PART: OK", kUp, "ERASING CODE AND DATA... OK"};
const Lines kCoded = kErased + Lines{kSum, kCode, kVerified};
const ShownMessage kBaudMessage{"Error encountered while changing baudrate", "Warning"};

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
    EXPECT_FALSE(port.isOpen);
    EXPECT_FALSE(form->mainWindow().ProgressState().visible);
    EXPECT_TRUE(ButtonsEnabled());
}

const Row kRows[] = {
    {"EveryStep", 0, "RBAQVESFBU", [](auto&, auto&) {},
     kCoded + Lines{kData, kSecured, kBack, kStarted}},
    {"CodeOnlyMode1", 0, "RBCQVFBU",
     [](auto&, auto& panel) {
         panel.Select(Option::EraseCodeButton, 0);
         panel.SetChecked(Check::LockModeButton, false);
     },
     Lines{"RESETTING PART: OK", kUp, "ERASING CODE ONLY... OK", kSum, kCode, kVerified, kBack,
           kStarted}},
    {"DataOnlyMode2SkipsVerify", 0, "RBAESFBU",
     [](auto& t, auto& panel) {
         t.host.fileDialogAnswers = {"data.txt"};
         panel.Select(Option::DownloadCodeButton, 2);
     },
     kErased + Lines{kData, kSecured, kBack, kStarted}},
    {"CrystalBelow3MHzNeitherFastNorQuick", 0, "RAWVESFU",
     [](auto&, auto& panel) { Crystal(panel, "2.5"); },
     Lines{"RESETTING PART: OK", "ERASING CODE AND DATA... OK", kSum, kCode, kVerified, kData,
           kSecured, kStarted}},
    {"Crystal3MHzFastAndQuick", 0, "RBAQVESFBU", [](auto&, auto& panel) { Crystal(panel, "3"); },
     Lines{"RESETTING PART: OK", "Baudrate = 57600... OK", "ERASING CODE AND DATA... OK", kSum,
           kCode, kVerified, kData, kSecured, "Baudrate = 2618... OK", kStarted}},
    {"ResetSilent", 1, "R", [](auto& t, auto&) { t.device.id.clear(); },
     Lines{"RESETTING PART: failed"}, Shown{{kResetError, "Warning"}}},
    {"PortHeld", 1, "R", [](auto& t, auto&) { t.port.failOpen = true; }, Lines{},
     Shown{{"Error encountered while Opening Port", "Error"},
           {"Com Port Already Open by another host", "Warning"}}},
    {"FastSwitchRefused", 1, "RBAQVESFBU", [](auto& t, auto&) { t.device.refuse['B'] = 1; },
     Lines{"RESETTING PART: OK", "Baudrate = 9600... failed", "ERASING CODE AND DATA... OK", kSum,
           kCode, kVerified, kData, kSecured, kBack, kStarted},
     Shown{kBaudMessage}},
    {"EraseRefusedStillBackTo9600", 1, "RBAB", [](auto& t, auto&) { t.device.refuse['A'] = 1; },
     Lines{"RESETTING PART: OK", kUp, "ERASING CODE AND DATA... failed", kBack}},
    {"HexDialogCancelled", 1, "RBAB", [](auto& t, auto&) { t.host.fileDialogAnswers.clear(); },
     kErased + Lines{kBack}},
    {"HexRecordBroken", 1, "RBAB",
     [](auto& t, auto&) {
         t.WriteFile("app.hex", {":03000000020100FB", ":00000001FF"});
     },
     kErased +
         Lines{"failed......error in hex file", "CheckSum of [app.hex] is 101hex - 257 Dec", kBack},
     Shown{{"Invalid Hex File", "Warning"}}},
    {"ChecksumMismatch", 1, "RBAB",
     [](auto&, auto& panel) {
         panel.SetChecked(Check::Check1, true);
         panel.SetText(panel.HexFileCHKSUM, "-1");
         panel.HexFileCHKSUM_LostFocus();
     },
     kErased + Lines{"failed......error in hex file",
                     "expected FFFFFFFF hex for [app.hex] ... calculated 600 hex !!", kBack},
     Shown{{"Checksum of file to download does not match required checksum ",
            "Tovrel - Hex File Error"}}},
    {"QuickDownloadRefusedFailsTwice", 1, "RBAQB", [](auto& t, auto&) { t.device.refuse['Q'] = 2; },
     kErased +
         Lines{kSum, "DOWNLOADING CODE [app.hex]:..........Failed", "..........Failed", kBack}},
    {"VerifyFailsLaterStepsRun", 1, "RBAQVESFBU", [](auto& t, auto&) { t.device.badReads = true; },
     kErased +
         Lines{kSum, kCode, "VERIFYING USER CODE: ... failed", kData, kSecured, kBack, kStarted}},
    {"DataFileInvalid", 1, "RBAQVB",
     [](auto& t, auto&) {
         t.WriteFile("data.txt", Lines{"x", "0,1"});
     },
     kCoded + Lines{"Downloading the data file: data.txt ...failed", kBack},
     Shown{{"Invalid Dataflash TXT File", "Warning"}}},
    {"DataDownloadRefused", 1, "RBAQVEB", [](auto& t, auto&) { t.device.refuse['E'] = 1; },
     kCoded + Lines{"DOWNLOADING DATA [data.txt]:..........Failed", kBack},
     Shown{{"Error encountered while dowloading the data, please retry.", "Warning"}}},
    {"SecurityBitsRefused", 1, "RBAQVESB", [](auto& t, auto&) { t.device.refuse['S'] = 1; },
     kCoded + Lines{kData, "DOWNLOADING SECURITY BITS: ... failed", kBack}},
    {"BootloadOffRefused", 1, "RBAQVESFB", [](auto& t, auto&) { t.device.refuse['F'] = 1; },
     kCoded + Lines{kData, kSecured, "Error with Bootload mode", kBack}},
    {"BootloadOnRefused", 1, "RBAQVESFB",
     [](auto& t, auto& panel) {
         panel.SetChecked(Check::BootloadOptionButton, true);
         t.device.refuse['F'] = 1;
     },
     kCoded + Lines{kData, kSecured, "ENABLING BOOTLOAD MODE: ... failed", kBack}},
    {"BackTo9600Refused", 1, "RBAQVESFBU", [](auto& t, auto&) { t.device.refuse['B'] = 2; },
     kCoded + Lines{kData, kSecured, "Baudrate = 115200... failed", kStarted}, Shown{kBaudMessage}},
    {"VerifyFilesNamed", 0, "RBAQVESFBU",
     [](auto&, auto& panel) { panel.SetChecked(Check::GenerateVResultCheck, true); },
     kCoded + Lines{"VERIFY CODE WRITTEN TO FILE [verify.hex]",
                    "VERIFY CODE WRITTEN TO FILE [verify.bin]", kData, kSecured, kBack, kStarted}},
    {"VerifyFilesUnwritableNotClaimed", 1, "RBAQVESFBU",
     [](auto&, auto& panel) {
         std::filesystem::create_directory("verify.hex");
         panel.SetChecked(Check::GenerateVResultCheck, true);
     },
     kCoded + Lines{kData, kSecured, kBack, kStarted},
     Shown{{"Cannot write file verify.hex", "Warning"}}},
    {"SerialSafeAnsweredNoSendsNoSecurityBits", 0, "RBAQVEFBU",
     [](auto& t, auto& panel) {
         t.host.serialSafeAnswers = {true, false};  // Yes on the panel, No before programming
         panel.SetChecked(Check::LockModeButton, false);
         panel.SetChecked(Check::SerialSafeModeButton, true);
     },
     kCoded + Lines{kData, kBack, kStarted}},
};

INSTANTIATE_TEST_SUITE_P(Rows, DownloadSequence, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrel::testing
