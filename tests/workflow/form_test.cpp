#include <gtest/gtest.h>

#include <algorithm>

#include "link/port_names.h"
#include "tests/workflow/form_fixture.h"

namespace tovrel::testing {
namespace {

// One download: what the row changes, the log after the start line and what the device got.
// The fault table has the failures of reset, port, erase, quick and data download.
struct Row {
    const char* name;
    int exitStatus;
    std::string received;
    std::function<void(FormTest&, ConfigurationPanel&)> setup;
    Lines log;
    std::vector<ShownMessage> messages = {};
};

Lines operator+(Lines head, const Lines& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const std::string kUp = "Baudrate = 115200... OK", kBack = "Baudrate = 9600... OK",
                  kSum = "CheckSum of [app.hex] is 600hex - 1536 Dec",
                  kCode = "DOWNLOADING CODE [app.hex]:..........OK",
                  kData = "DOWNLOADING DATA [data.txt]:..........OK",
                  kSecured = "DOWNLOADING SECURITY BITS: ... OK",
                  kStarted = "STARTING USER CODE: ... OK";
const Lines kNotErased{"RESETTING PART: OK", kUp};
const Lines kErased = kNotErased + Lines{"ERASING CODE AND DATA... OK"};
const Lines kCoded = kErased + Lines{kSum, kCode, "VERIFYING USER CODE: ... OK"};
const Lines kEnd{kData, kSecured, kBack, kStarted};
const std::string kAll = "R R B8120 A Q V E S06 FFF B8508 U000000";

class DownloadSequence : public FormTest, public ::testing::WithParamInterface<Row> {};

void Crystal(ConfigurationPanel& panel, const char* megahertz) {
    panel.SetText(panel.FrequencyTextbox, megahertz);
    panel.FrequencyTextbox_LostFocus();
    panel.Select(Option::XtalButton, 2);
}

// Code and data, verify, lock mode, run: every step takes part unless the row changes that.
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
    for (const auto& [filter, answer] : host.fileDialogs) {  // each offers its kind of file
        if (!answer.empty()) {
            EXPECT_EQ(filter, answer.ends_with(".txt") ? "txt Files (*.txt)|*.txt"
                                                       : "Hex Files (*.Hex)|*.hex");
        }
    }
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
    {"DataOnlyMode2SkipsVerify", 0, "R R B8120 A E S06 FFF B8508 U000000",
     [](auto& t, auto& panel) {
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
    // A file that cannot be used is known before the erase: the board keeps its program.
    {"HexDialogCancelled", 1, "R R B8120 B8508",
     [](auto& t, auto&) { t.host.fileDialogAnswers.clear(); },
     kNotErased + Lines{"No hex file chosen: nothing erased, nothing downloaded", kBack}},
    {"HexRecordBroken", 1, "R R B8120 B8508", [](auto& t, auto&) {
         t.WriteFile("app.hex", {":03000000020100FB", ":00000001FF"}); },
     kNotErased + Lines{"failed......error in hex file",
                        "CheckSum of [app.hex] is 101hex - 257 Dec", kBack},
     {{"Invalid Hex File", "Warning"}}},
    {"ChecksumMismatch", 1, "R R B8120 B8508", [](auto&, auto& panel) {
         panel.SetChecked(Check::Check1, true);
         panel.SetText(panel.HexFileCHKSUM, "-1");
         panel.HexFileCHKSUM_LostFocus(); },
     kNotErased + Lines{"failed......error in hex file",
                        "expected FFFFFFFF hex for [app.hex] ... calculated 600 hex !!", kBack},
     {{"Checksum of file to download does not match required checksum ",
       "Tovrel - Hex File Error"}}},
    {"DataDialogCancelledAfterAGoodHexFile", 1, "R R B8120 B8508",
     [](auto& t, auto&) { t.host.fileDialogAnswers = {"app.hex"}; },
     kNotErased + Lines{"No data file chosen: nothing erased, nothing downloaded", kBack}},
    {"DataFileWithoutDataRefused", 1, "R R B8120 B8508",
     [](auto& t, auto&) { t.WriteFile("data.txt", {"nothing"}); },
     kNotErased + Lines{"Downloading the data file: data.txt ...failed", kBack},
     {{"Invalid Dataflash TXT File", "Warning"}}},
    {"VerifyFailsLaterStepsRun", 1, kAll, [](auto& t, auto&) { t.device.badReads = true; },
     kErased + Lines{kSum, kCode, "VERIFYING USER CODE: ... failed"} + kEnd},
    {"BootloadOffRefused", 1, "R R B8120 A Q V E S06 FFF B8508",
     [](auto& t, auto&) { t.device.refuse['F'] = 1; },
     kCoded + Lines{kData, kSecured, "Error with Bootload mode", kBack}},
    {"BootloadOnRefused", 1, "R R B8120 A Q V E S06 FFE B8508", [](auto& t, auto& panel) {
         panel.SetChecked(Check::BootloadOptionButton, true);
         t.device.refuse['F'] = 1; },
     kCoded + Lines{kData, kSecured, "ENABLING BOOTLOAD MODE: ... failed", kBack}},
    {"VerifyFilesNamed", 0, kAll,
     [](auto&, auto& panel) { panel.SetChecked(Check::GenerateVResultCheck, true); },
     kCoded + Lines{"VERIFY CODE WRITTEN TO FILE [verify.hex]",
                    "VERIFY CODE WRITTEN TO FILE [verify.bin]"} + kEnd},
    {"VerifyFilesUnwritableNotClaimed", 1, kAll, [](auto&, auto& panel) {
         std::filesystem::create_directory("verify.hex");
         panel.SetChecked(Check::GenerateVResultCheck, true); },
     kCoded + kEnd, {{"Cannot write file verify.hex", "Warning"}}},
    // Yes on the panel, No before the bits are programmed.
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

using Commands = FormTest;

// The start line shows the PC rate box's text, which may differ from the rate in use.
TEST_F(Commands, ResetLogsPortAndOutcome) {
    Start();
    Configure([](ConfigurationPanel& panel) { panel.SelectPort(2); });
    form->panel().PCBaudrateTextbox.text = "14399";
    form->ResetButton_Click();
    device.id.clear();
    form->ResetButton_Click();
    const std::string start = "\r\nConfiguration: COM3, 14399 baud\r\nRESETTING PART: ";
    EXPECT_EQ(Log(), start + "OK\r\n" + start + "failed\r\n");
    EXPECT_EQ(port.openedBaudRates.back(), 9600);
    EXPECT_TRUE(!form->settings().ResetOK && ButtonsEnabled() && !port.isOpen);
}

// Each press starts the code in its own port session with its own line, without a reset.
TEST_F(Commands, RunStartsTheCodeAndNothingElse) {
    Start();
    form->RunButton_Click();
    device.refuse['U'] = 1;
    form->RunButton_Click();
    port.failOpen = true;
    form->RunButton_Click();  // a held port writes no line
    port.openError = std::make_error_code(std::errc::no_such_device);
    form->RunButton_Click();  // nor does one that is not there, which says so
    EXPECT_EQ(device.received, "R U000000 U000000");
    EXPECT_EQ(Log(), "STARTING USER CODE: ... OK\r\nSTARTING USER CODE: ... failed\r\n");
    EXPECT_EQ(host.messages.end()[-3],
              (ShownMessage{"Com Port Already Open by another host", "Warning"}));
    EXPECT_EQ(host.messages.back(), (ShownMessage{"No such device", "Warning"}));
    EXPECT_TRUE(ButtonsEnabled() && !port.isOpen);
}

// The serial devices of a computer with one built-in port and one USB adapter.
struct TwoPorts : PortFinder {
    std::vector<DetectedPort> Find() const override { return ports; }
    bool Exists(const std::string& path) const override {
        return std::any_of(ports.begin(), ports.end(),
                           [&](const DetectedPort& p) { return p.OpensAt(path); });
    }
    std::vector<DetectedPort> ports{{DefaultComportPath(1), "", false, "", "", "", "", ""},
                                    {"/dev/ttyUSB0", "/dev/serial/by-id/usb-SW", true, "1a2b",
                                     "3c4d", "Serial Works", "USB UART", "SW1"}};
};

// The panel shows where the chosen COMn leads; a device chosen for it is stored by its stable
// name on OK (not on Cancel), opened from then on, and shown again at the next start.
TEST_F(Commands, DeviceChosenInThePanelIsStoredAndReopened) {
    const TwoPorts finder;
    const auto start = [&] {
        form = std::make_unique<TovrelForm>(host, port, store);
        form->SetPortFinder(&finder);
        form->Form_Load();
    };
    start();
    ConfigurationPanel& panel = form->panel();
    EXPECT_EQ(panel.PortDeviceLbl, DefaultComportPath(1));
    const std::string adapter = "Serial Works USB UART, serial SW1 (/dev/ttyUSB0)";
    for (const bool ok : {false, true}) {
        form->ConfButton_Click();
        panel.SelectPort(2);
        EXPECT_EQ(panel.PortDeviceLbl, DefaultComportPath(3) + " (no such device)");
        panel.DeviceButton_Click(panel.DetectedPorts().at(1));
        EXPECT_EQ(panel.PortDeviceLbl, adapter);
        ok ? form->OKButton_Click() : form->CancelButton_Click();
        EXPECT_EQ(store.Read(kSettingsApplication, kPortsSection, "COM3", "-"),
                  ok ? "/dev/serial/by-id/usb-SW" : "-");
    }
    form->ResetButton_Click();
    EXPECT_EQ(port.openedDevices.back(), "/dev/serial/by-id/usb-SW");
    form->Form_QueryUnload();
    start();
    EXPECT_EQ(form->panel().PortDeviceLbl, adapter);
}

// Saved: port 5, verify and bootload mode, whose run address E000 only the last copy takes.
class StartUp : public FormTest {
  public:
    StartUp() {
        for (auto [key, text] :
             {std::pair{"Comport", "5"}, {"VerifyAfterDownload", "True"}, {"Bootload", "True"}})
            store.Save(kSettingsApplication, kSettingsSection, key, text);
    }
    bool Saved(const std::string& word) const {
        return store.Record().find(word) != std::string::npos;
    }
};

TEST_F(StartUp, InteractiveLoadsTheSavedSettingsIdentifiesSilentlyAndSavesOnClose) {
    Start();
    EXPECT_EQ(port.openedDevices.at(0), PortDevicePath(5, store));
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(form->mainWindow().PelliconText(), "Zerk8WF version 2.05");
    EXPECT_FALSE(form->settings().ResetOK);  // only the reset command sets it
    const auto& list = form->panel().COMPortList;
    EXPECT_EQ(std::to_string(list.size()) + list.front() + list.back(), "32COM1COM32");
    form->Form_QueryUnload();
    EXPECT_TRUE(Saved("Comport=5 ") && Saved("RunAddress=57344 ") && ButtonsEnabled());
}

// A command line downloads once on the defaults, waits, saves and ends: the switches, the
// serial-safe answer, the security frame and the pause.
using Case = std::tuple<Lines, bool, std::string, float>;
class CommandLine : public StartUp, public ::testing::WithParamInterface<Case> {};

TEST_P(CommandLine, RunsOnTheDefaultsAndSavesOverTheStoredSettings) {
    auto [words, serialSafeAnswer, received, pause] = GetParam();
    host.serialSafeAnswers = {serialSafeAnswer, serialSafeAnswer};
    words.insert(words.begin(), "app.hex");
    Start(words);
    EXPECT_EQ(port.openedDevices.at(0), PortDevicePath(1, store));
    EXPECT_EQ(device.received, "R R B8120 A Q " + received + "FFF B8508");
    EXPECT_EQ(form->ExitStatus(), 0);
    EXPECT_TRUE(host.fileDialogs.empty());
    EXPECT_EQ(host.pauses, (std::vector<float>{pause}));
    EXPECT_TRUE(Saved("Comport=1 ") && Saved("VerifyAfterDownload=False ") && form->Unloaded());
    const auto& b = form->mainWindow().CommandButtons();
    EXPECT_FALSE(b.ResetButton || b.RunButton || b.ConfButton || b.DownloadButton);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Words, CommandLine, ::testing::Values(
    Case{{}, true, "", 0}, Case{{"/S:0", "/T:3"}, true, "E S06 ", 3},
    Case{{"/S:1"}, true, "E S05 ", 0}, Case{{"/S:2"}, false, "", 0},
    Case{{"/S:2"}, true, "E S03 ", 0}, Case{{"/S:3"}, true, "E S00 ", 0}));
// clang-format on

// [Lines] as stored, a before sequence given on the command line, whether the port can set
// lines, the words of a command-line run (none: the Run button), and what the lines did, in
// order with what the device received.
struct LinesRow {
    const char* name;
    std::string before, after;
    std::optional<std::string> beforeOption;
    bool lineError;
    Lines words;
    std::string trail;
    int exitStatus;
    std::vector<ShownMessage> messages = {};
};
void PrintTo(const LinesRow& row, std::ostream* out) { *out << row.name; }
class ModemLines : public FormTest, public ::testing::WithParamInterface<LinesRow> {};

TEST_P(ModemLines, GoBeforeEveryResetAndAtTheEndOfACommand) {
    const LinesRow& row = GetParam();
    store.Save(kSettingsApplication, kLinesSection, kBeforeLinesKey, row.before);
    store.Save(kSettingsApplication, kLinesSection, kAfterLinesKey, row.after);
    if (row.lineError) port.lineError = std::make_error_code(std::errc::no_such_device);
    port.respond = [this](const Bytes& m) {
        const std::size_t known = device.received.size();
        Bytes reply = device(m);
        if (device.received.size() != known)
            port.lineSteps.push_back(device.received.substr(device.received.rfind(' ') + 1));
        return reply;
    };
    host.words = row.words;
    form = std::make_unique<TovrelForm>(host, port, store);
    std::string bad;
    if (row.beforeOption) form->SetLineOptions(ParseLineSequence(*row.beforeOption, bad), {});
    form->Form_Load();
    if (row.words.empty()) form->RunButton_Click();
    std::string trail;
    for (const std::string& step : port.lineSteps) trail += (trail.empty() ? "" : " ") + step;
    EXPECT_EQ(trail, row.trail);
    EXPECT_EQ(form->ExitStatus(), row.exitStatus);
    EXPECT_EQ(host.messages, row.messages);
}

const std::string kCannotSet =
    "Cannot set RTS on COM1 (" + DefaultComportPath(1) + "): No such device";
const Lines kDownload{"app.hex", "/M:1"};
const std::string kSent = "R R B8120 A Q FFF B8508";
// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ModemLines, ::testing::Values(
    LinesRow{"StoredFrameEveryResetAndTheDownload", "R1|W0.5", "R0", {}, false,
             {"app.hex", "/M:1", "/R"}, "R1 W0.5 R R1 W0.5 R B8120 A Q FFF B8508 U000000 R0", 0},
    LinesRow{"RunButtonLetsGo", "", "R0|D1|W0.05|D0", {}, false, {}, "R U000000 R0 D1 W0.05 D0",
             0},
    LinesRow{"EmptyOptionWinsOverStored", "R1", "", "", false, kDownload, kSent, 0},
    LinesRow{"BadStoredIsNamedAndUnused", "R1|X", "", {}, false, kDownload, kSent, 0,
             {{"Before in the section [Lines] of the settings file has a bad step \"X\" (steps "
               "are D0, D1, R0, R1 or W<seconds>, separated by |): it is not used", "Warning"}}},
    LinesRow{"LineCannotBeSetFailsTheReset", "R1", "", {}, true, {"app.hex"}, "", 1,
             {{kCannotSet, "Warning"}, {kCannotSet, "Warning"}, {ResetErrorText(), "Warning"}}},
    LinesRow{"LineCannotBeSetAfterFailsTheRun", "", "R0", {}, true, {}, "R U000000", 1,
             {{kCannotSet, "Warning"}}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

using ReadBack = FormTest;

// The reset's lines and the rate changes around the read; a failed read leaves no file.
TEST_F(ReadBack, WritesTheFileOnlyWhenEveryPageCame) {
    host.words = {"", "/C:2"};
    form = std::make_unique<TovrelForm>(host, port, store);
    EXPECT_EQ(form->ReadBackRun("back.bin"), std::nullopt);
    EXPECT_EQ(Log(),
              "\r\nConfiguration: COM2, 9600 baud\r\nRESETTING PART: OK\r\n"
              "Baudrate = 115200... OK\r\nREADING CODE [back.bin]:..........OK\r\n"
              "Baudrate = 9600... OK\r\n");
    std::ifstream file("back.bin", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), std::string(63488, '\xFF'));
    port.respond = [this](const Bytes& m) { return m[3] == 'V' ? Bytes{} : device(m); };
    form = std::make_unique<TovrelForm>(host, port, store);
    EXPECT_EQ(form->ReadBackRun("none.hex"), "read");
    EXPECT_EQ(device.received, "R B8120 V B8508 R B8120 B8508");
    EXPECT_FALSE(std::filesystem::exists("none.hex") || std::filesystem::exists("none.hex.tmp"));
}

}  // namespace
}  // namespace tovrel::testing
