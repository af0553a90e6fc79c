#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/workflow/form_fixture.h"

namespace tovrel::testing {
namespace {

// One row of what goes wrong: the fault, the lines after the reset ({H} and {D} stand for
// the two file paths, {SUM} for the checksum text), the messages, and the runs of command
// letters the device received.
struct FailureCase {
    const char* name;
    std::function<void(FormTest&)> fault;
    std::vector<std::string> lines;
    std::vector<ShownMessage> messages;
    std::string commands;
    int exitStatus = 1;
};

void PrintTo(const FailureCase& row, std::ostream* out) { *out << row.name; }

const std::string kBaudUp = "Baudrate = 115200... OK";
const std::string kErased = "ERASING CODE AND DATA... OK";
const std::string kSum = "CheckSum of [{H}] is {SUM}";
const std::string kCode = "DOWNLOADING CODE [{H}]:..........OK";
const std::string kVerified = "VERIFYING USER CODE: ... OK";
const std::string kData = "DOWNLOADING DATA [{D}]:..........OK";
const std::string kSecured = "DOWNLOADING SECURITY BITS: ... OK";
const std::string kBaudBack = "Baudrate = 9600... OK";
const std::string kStarted = "STARTING USER CODE: ... OK";
const ShownMessage kBaudMessage{"Error encountered while changing baudrate", "Warning"};

class DownloadFailure : public FormTest, public ::testing::WithParamInterface<FailureCase> {
  protected:
    std::string Expand(std::string line) const {
        Replace(line, "{H}", m_hex);
        Replace(line, "{D}", m_data);
        const std::int32_t sum = HexFileSum(m_hexLines);
        Replace(line, "{SUMHEX}", HexText(sum));
        Replace(line, "{SUM}", HexText(sum) + "hex - " + std::to_string(sum) + " Dec");
        return line;
    }
    static void Replace(std::string& text, const std::string& what, const std::string& with) {
        for (std::size_t at; (at = text.find(what)) != std::string::npos;)
            text.replace(at, what.size(), with);
    }

  public:
    std::vector<std::string> m_hexLines = ExampleHexLines();
    std::string m_hex, m_data;
};

// Code and data, verify, lock mode, run: every step of the sequence takes part.
void EveryStep(ConfigurationPanel& panel) {
    panel.Select(Option::DownloadCodeButton, 0);
    panel.SetChecked(Check::VerifyAfterDownloadButton, true);
    panel.SetChecked(Check::RunAfterDownloadButton, true);
    panel.SetChecked(Check::LockModeButton, true);
}

TEST_P(DownloadFailure, ShowsWhatFailedAndRunsOnlyTheStepsThatFollowIt) {
    const FailureCase& row = GetParam();
    m_hex = WriteFile("app.hex", m_hexLines);
    m_data = WriteExampleData();
    host.fileDialogAnswers = {m_hex, m_data};
    Start();
    Configure(EveryStep);
    row.fault(*this);
    WriteFile("app.hex", m_hexLines);  // as the fault may have changed it
    form->DownloadButton_Click();

    std::vector<std::string> expected;
    for (const std::string& line : row.lines) expected.push_back(Expand(line));
    EXPECT_EQ(LinesAfterReset(), expected);
    EXPECT_EQ(host.messages, row.messages);
    EXPECT_EQ(CommandRuns(), row.commands);
    EXPECT_EQ(form->ExitStatus(), row.exitStatus);
    EXPECT_FALSE(port.isOpen);
    EXPECT_FALSE(form->mainWindow().ProgressState().visible);
    const auto& b = form->mainWindow().CommandButtons();
    EXPECT_TRUE(b.ResetButton && b.RunButton && b.ConfButton && b.DownloadButton);
}

const std::vector<FailureCase> kFailures{
    {"EverythingWorks",
     [](FormTest&) {},
     {kBaudUp, kErased, kSum, kCode, kVerified, kData, kSecured, kBaudBack, kStarted},
     {},
     "RBAQVESFBU",
     0},
    {"ResetSilent",
     [](FormTest& t) { t.device.idText.clear(); },
     {},
     {{"Error: could not reset the device\r\r\nPlease ensure that...\r\r\n"
       "1. The power supply is connected\r\n2. All connections are correct\r\n"
       "3. A program is not already running\r\n"
       "4. The correct value for the crystal is selected\r\n5. PSEN is inserted\r\r\n"
       "See downloading instructions under 'Help-->Index'",
       "Warning"}},
     "R"},
    {"PortHeld",
     [](FormTest& t) { t.port.failOpen = true; },
     {},
     {{"Error encountered while Opening Port", "Error"},
      {"Com Port Already Open by another host", "Warning"}},
     "R"},
    {"FastSwitchRefused",
     [](FormTest& t) { t.device.Fail('B', 1); },
     {"Baudrate = 9600... failed", kErased, kSum, kCode, kVerified, kData, kSecured, kBaudBack,
      kStarted},
     {kBaudMessage},
     "RBAQVESFBU"},
    {"EraseRefused",
     [](FormTest& t) { t.device.Fail('A', 1); },
     {kBaudUp, "ERASING CODE AND DATA... failed", kBaudBack},
     {},
     "RBAB"},
    {"HexDialogCancelled",
     [](FormTest& t) { t.host.fileDialogAnswers.clear(); },
     {kBaudUp, kErased, kBaudBack},
     {},
     "RBAB"},
    {"HexRecordBroken",
     [](FormTest& t) { static_cast<DownloadFailure&>(t).m_hexLines[1][12] = '0'; },
     {kBaudUp, kErased, "failed......error in hex file", kSum, kBaudBack},
     {{"Invalid Hex File", "Warning"}},
     "RBAB"},
    {"ChecksumMismatch",
     [](FormTest& t) {
         t.form->ConfButton_Click();
         ConfigurationPanel& panel = t.form->panel();
         panel.SetChecked(Check::Check1, true);
         panel.SetText(panel.HexFileCHKSUM, "23");
         panel.HexFileCHKSUM_LostFocus();
         t.form->OKButton_Click();
     },
     {kBaudUp, kErased, "failed......error in hex file",
      "expected 17 hex for [{H}] ... calculated {SUMHEX} hex !!", kBaudBack},
     {{"Checksum of file to download does not match required checksum ",
       "Tovrel - Hex File Error"}},
     "RBAB"},
    {"QuickDownloadRefused",
     [](FormTest& t) { t.device.Fail('Q', 2); },
     {kBaudUp, kErased, kSum, "DOWNLOADING CODE [{H}]:..........Failed", "..........Failed",
      kBaudBack},
     {},
     "RBAQB"},
    {"VerifyFails",
     [](FormTest& t) { t.device.corruptPageReads = 20; },
     {kBaudUp, kErased, kSum, kCode, "VERIFYING USER CODE: ... failed", kData, kSecured, kBaudBack,
      kStarted},
     {},
     "RBAQVESFBU"},
    {"DataDialogCancelled",
     [](FormTest& t) { t.host.fileDialogAnswers.pop_back(); },
     {kBaudUp, kErased, kSum, kCode, kVerified, kBaudBack},
     {},
     "RBAQVB"},
    {"DataFileInvalid",
     [](FormTest& t) {
         t.WriteFile("data.txt", {"0,11,22,33,44", "", "4,01,02,03,04"});
     },
     {kBaudUp, kErased, kSum, kCode, kVerified, "Downloading the data file: {D} ...failed",
      kBaudBack},
     {{"Invalid Dataflash TXT File", "Warning"}},
     "RBAQVB"},
    {"DataDownloadRefused",
     [](FormTest& t) { t.device.Fail('E', 1); },
     {kBaudUp, kErased, kSum, kCode, kVerified, "DOWNLOADING DATA [{D}]:..........Failed",
      kBaudBack},
     {{"Error encountered while dowloading the data, please retry.", "Warning"}},
     "RBAQVEB"},
    {"SecurityBitsRefused",
     [](FormTest& t) { t.device.Fail('S', 1); },
     {kBaudUp, kErased, kSum, kCode, kVerified, kData, "DOWNLOADING SECURITY BITS: ... failed",
      kBaudBack},
     {},
     "RBAQVESB"},
    {"BootloadOffRefused",
     [](FormTest& t) { t.device.Fail('F', 1); },
     {kBaudUp, kErased, kSum, kCode, kVerified, kData, kSecured, "Error with Bootload mode",
      kBaudBack},
     {},
     "RBAQVESFB"},
    {"BootloadOnRefused",
     [](FormTest& t) {
         t.form->ConfButton_Click();
         t.form->panel().SetChecked(Check::BootloadOptionButton, true);
         t.form->OKButton_Click();
         t.device.Fail('F', 1);
     },
     {kBaudUp, kErased, kSum, kCode, kVerified, kData, kSecured,
      "ENABLING BOOTLOAD MODE: ... failed", kBaudBack},
     {},
     "RBAQVESFB"},
    {"BaudrateBackRefused",
     [](FormTest& t) { t.device.Fail('B', 2); },
     {kBaudUp, kErased, kSum, kCode, kVerified, kData, kSecured, "Baudrate = 115200... failed",
      kStarted},
     {kBaudMessage},
     "RBAQVESFBU"},
    {"StartRefused",
     [](FormTest& t) { t.device.Fail('U', 1, std::nullopt); },
     {kBaudUp, kErased, kSum, kCode, kVerified, kData, kSecured, kBaudBack,
      "STARTING USER CODE: ... failed"},
     {},
     "RBAQVESFBU"},
};

INSTANTIATE_TEST_SUITE_P(Table, DownloadFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrel::testing
