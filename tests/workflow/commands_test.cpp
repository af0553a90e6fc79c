#include <gtest/gtest.h>

#include "tests/workflow/form_fixture.h"

namespace tovrel::testing {
namespace {

using ResetCommand = FormTest;

TEST_F(ResetCommand, LogsPortAndOutcomeAndShowsOrClearsTheDevice) {
    Start();
    Configure([](ConfigurationPanel& panel) { panel.COMPortListIndex = 2; });
    form->ResetButton_Click();
    const std::string start = "\r\nConfiguration: COM3, 9600 baud\r\nRESETTING PART: ";
    EXPECT_EQ(Log(), start + "OK\r\n");
    EXPECT_EQ(form->mainWindow().PelliconText(), "Zerk8WF version 2.05");
    EXPECT_TRUE(form->settings().ResetOK);

    device.id.clear();
    const int closesBefore = port.closeCount;
    form->ResetButton_Click();
    EXPECT_EQ(Log(), start + "OK\r\n" + start + "failed\r\n");
    EXPECT_EQ(form->mainWindow().PelliconText(), "");
    EXPECT_FALSE(form->settings().ResetOK);
    EXPECT_EQ(host.messages, (std::vector<ShownMessage>{{kResetError, "Warning"}}));
    EXPECT_EQ(port.closeCount - closesBefore, 2);  // before the message, and at the end
    EXPECT_TRUE(ButtonsEnabled());

    device.id = "Kaz 8WFABCD310";
    form->ResetButton_Click();
    EXPECT_EQ(form->mainWindow().PelliconText(), "Zerk8WF version 3.10");
    EXPECT_TRUE(form->settings().ResetOK);
    EXPECT_FALSE(port.isOpen);
}

using RunCommand = FormTest;

TEST_F(RunCommand, EachPressStartsTheCodeInItsOwnPortSessionWithItsOwnLine) {
    Start();
    const std::size_t opensBefore = port.openedDevices.size();
    form->RunButton_Click();
    form->RunButton_Click();
    EXPECT_EQ(port.openedDevices.size() - opensBefore, 2u);
    EXPECT_EQ(device.received, "RU");  // no reset of its own
    device.ignore = 'U';
    form->RunButton_Click();
    const std::string ok = "STARTING USER CODE: ... OK\r\n";
    EXPECT_EQ(Log(), ok + ok + "STARTING USER CODE: ... failed\r\n");
    port.failOpen = true;
    form->RunButton_Click();  // a held port writes no line
    EXPECT_EQ(Log(), ok + ok + "STARTING USER CODE: ... failed\r\n");
    EXPECT_EQ(host.messages.back(),
              (ShownMessage{"Com Port Already Open by another host", "Warning"}));
    EXPECT_FALSE(port.isOpen);
    EXPECT_TRUE(ButtonsEnabled());
}

// [Lines] as stored, a before sequence given on the command line, whether the port can set
// lines, the words of a command-line run (none: the Run button), and what the lines did, in
// order with the letters sent.
struct LinesRow {
    const char* name;
    std::string before, after;
    std::optional<std::string> beforeOption;
    bool lineError;
    Lines words, trail;
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
        FakeReply reply = device(m);
        const std::string sent(1, device.received.back());
        if (port.lineSteps.empty() || port.lineSteps.back() != sent) port.lineSteps.push_back(sent);
        return reply;
    };
    host.words = row.words;
    form = std::make_unique<TovrelForm>(host, port, store);
    std::string bad;
    if (row.beforeOption) form->SetLineOptions(ParseLineSequence(*row.beforeOption, bad), {});
    form->Form_Load();
    if (row.words.empty()) form->RunButton_Click();
    EXPECT_EQ(port.lineSteps, row.trail);
    EXPECT_EQ(form->ExitStatus(), row.exitStatus);
    EXPECT_EQ(host.messages, row.messages);
}

const std::string kCannotSet = "Cannot set RTS on COM1 (/dev/ttyS0): No such device";
const Lines kDownload{"app.hex", "/M:1"};
const Lines kSent{"R", "B", "A", "Q", "F", "B"};  // the resets run together
// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ModemLines, ::testing::Values(
    LinesRow{"StoredFrameEveryResetAndTheDownload", "R1|W0.5", "R0", {}, false,
             {"app.hex", "/M:1", "/R"},
             {"R1", "W0.5", "R", "R1", "W0.5", "R", "B", "A", "Q", "F", "B", "U", "R0"}, 0},
    LinesRow{"RunButtonLetsGo", "", "R0|D1|W0.05|D0", {}, false, {},
             {"R", "U", "R0", "D1", "W0.05", "D0"}, 0},
    LinesRow{"EmptyOptionWinsOverStored", "R1", "", "", false, kDownload, kSent, 0},
    LinesRow{"BadStoredIsNamedAndUnused", "R1|X", "", {}, false, kDownload, kSent, 0,
             {{"Before in the section [Lines] of the settings file has a bad step \"X\" (steps "
               "are D0, D1, R0, R1 or W<seconds>, separated by |): it is not used", "Warning"}}},
    LinesRow{"LineCannotBeSetFailsTheReset", "R1", "", {}, true, {"app.hex"}, {}, 1,
             {{kCannotSet, "Warning"}, {kCannotSet, "Warning"}, {kResetError, "Warning"}}},
    LinesRow{"LineCannotBeSetAfterFailsTheRun", "", "R0", {}, true, {}, {"R", "U"}, 1,
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
    device.ignore = 'V';
    form = std::make_unique<TovrelForm>(host, port, store);
    EXPECT_EQ(form->ReadBackRun("none.hex"), "read");
    EXPECT_EQ(device.received, "RBVBRBVB");
    EXPECT_FALSE(std::filesystem::exists("none.hex") || std::filesystem::exists("none.hex.tmp"));
}

}  // namespace
}  // namespace tovrel::testing
