#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>

#include "tests/support/fake_host.h"
#include "tests/ui/test_application.h"
#include "ui/main_window_view.h"
#include "ui/qt_host.h"

namespace tovrel {
namespace {

// Draws the window for the documentation when TOVREL_SCREENSHOT_DIR names a folder:
//   TOVREL_SCREENSHOT_DIR=docs build/bin/ui_tests --gtest_filter='Screenshots.*'
TEST(Screenshots, DrawTheWindowForTheDocumentation) {
    const QString folder = qEnvironmentVariable("TOVREL_SCREENSHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "TOVREL_SCREENSHOT_DIR not set";
    testing::TestApplication();
    Settings settings;
    QtHost host(0, nullptr);
    ConfigurationPanel panel(settings, host);
    MainWindowModel model;
    MainWindowView window(model, panel, {});
    for (int port = 1; port <= 32; ++port)
        panel.COMPortList.push_back("COM" + std::to_string(port));
    panel.Select(Option::XtalButton, 0);
    panel.SetChecked(Check::VerifyAfterDownloadButton, true);
    panel.SetChecked(Check::Check1, true);
    panel.SetText(panel.HexFileCHKSUM, "0");
    model.SetPelliconText("Zerk8QA version 2.05");
    for (const char* line :
         {"Configuration: COM1, 9600 baud", "RESETTING PART: OK", "Baudrate = 115200... OK",
          "ERASING CODE AND DATA... OK", "CheckSum of [blink.hex] is 100hex - 256 Dec"}) {
        model.AppendStatus(line, true);
    }
    model.AppendStatus("DOWNLOADING CODE [blink.hex]:");
    model.ShowProgress();
    model.SetProgressMin(0);
    model.SetProgressMax(100);
    model.SetProgressValue(40);
    window.show();

    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(window.grab().save(QDir(folder).filePath(QStringLiteral("main-window.png"))));
    model.ShowConfigurationPage(true);
    EXPECT_TRUE(
        window.grab().save(QDir(folder).filePath(QStringLiteral("configuration-panel.png"))));
    host.ShowSerialSafeWarning([](bool) {});
    QWidget* warning = testing::TopLevelTitled(QStringLiteral("Form1"));
    ASSERT_NE(warning, nullptr);
    EXPECT_TRUE(
        warning->grab().save(QDir(folder).filePath(QStringLiteral("serial-safe-warning.png"))));
    warning->close();
}

}  // namespace
}  // namespace tovrel
