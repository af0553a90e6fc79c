// Faults that cannot be timed from outside the program: the download file vanishing after its
// check, and verify files that cannot be written. The device is the fake loader of the form
// tests; the program folder is a temporary working folder.

#include <gtest/gtest.h>

#include "tests/workflow/form_fixture.h"

namespace tovrel::testing {
namespace {

// A quick download page ('Q') or a standard download record ('W').
bool IsCodeFrame(const Bytes& message) {
    return (message.size() == 260 && message[1] == 'Q') ||
           (message.size() > 4 && message[3] == 'W');
}

class InProcessFault : public FormTest {
  protected:
    bool LogHas(const std::string& text) const { return Log().find(text) != std::string::npos; }
};

// The file passed its check; it disappears once the first frame is on the wire. The file is
// read once: the download and the verify work on what was checked, and the run goes on.
TEST_F(InProcessFault, HexFileDeletedAfterTheFirstFrame) {
    bool deleted = false;
    port.respond = [this, &deleted](const Bytes& message) {
        if (!deleted && IsCodeFrame(message)) {
            std::filesystem::remove("app.hex");
            deleted = true;
        }
        return device(message);
    };
    host.fileDialogAnswers = {"app.hex"};
    Start();
    Configure([](ConfigurationPanel& panel) {
        panel.Select(Option::DownloadCodeButton, 1);
        panel.SetChecked(Check::VerifyAfterDownloadButton, true);
    });
    form->DownloadButton_Click();
    ASSERT_TRUE(deleted);
    EXPECT_TRUE(
        LogHas("DOWNLOADING CODE [app.hex]:..........OK\r\nVERIFYING USER CODE: ... OK\r\n"));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(form->ExitStatus(), 0);
}

// verify.hex cannot be created (a folder of that name is in the way, which stops root too):
// the verify itself passed, but the files are
// not claimed and the run fails.
TEST_F(InProcessFault, VerifyFilesCannotBeWritten) {
    std::filesystem::create_directory("verify.hex");
    host.fileDialogAnswers = {"app.hex"};
    Start();
    Configure([](ConfigurationPanel& panel) {
        panel.Select(Option::DownloadCodeButton, 1);
        panel.SetChecked(Check::VerifyAfterDownloadButton, true);
        panel.SetChecked(Check::GenerateVResultCheck, true);
    });
    form->DownloadButton_Click();
    EXPECT_TRUE(LogHas("VERIFYING USER CODE: ... OK\r\nBaudrate = 9600... OK"));
    EXPECT_FALSE(LogHas("VERIFY CODE WRITTEN TO FILE"));
    EXPECT_EQ(host.messages,
              (std::vector<ShownMessage>{{"Cannot write file verify.hex", "Warning"}}));
    EXPECT_EQ(form->ExitStatus(), 1);
}

}  // namespace
}  // namespace tovrel::testing
