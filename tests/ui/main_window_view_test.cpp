#include "ui/main_window_view.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>
#include <QTextBlock>

#include "tests/ui/test_application.h"
#include "ui/configuration_page.h"
#include "ui/main_page.h"
#include "ui/qt_host.h"

namespace tovrel {
namespace {

using testing::TopLevelTitled;

class MainWindowViewTest : public ::testing::Test {
  protected:
    MainWindowView& Window() {
        if (!m_window) {
            m_window = std::make_unique<MainWindowView>(m_model, m_panel, m_handlers);
            m_window->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        }
        return *m_window;
    }
    MainPage& Page() { return Window().mainPage(); }
    ConfigurationPage& Panel() {
        m_model.ShowConfigurationPage(true);
        return Window().configurationPage();
    }
    std::vector<bool> EnabledButtons() {
        std::vector<bool> enabled;
        for (QPushButton* button :
             {Page().ConfButton, Page().ResetButton, Page().DownloadButton, Page().RunButton}) {
            enabled.push_back(button->isEnabled());
        }
        return enabled;
    }

    QApplication& m_application = testing::TestApplication();
    MainWindowModel m_model;
    Settings m_settings;
    QtHost m_host{0, nullptr};
    ConfigurationPanel m_panel{m_settings, m_host};
    FormHandlers m_handlers;
    std::unique_ptr<MainWindowView> m_window;
};

// A click the window system queued while a command ran must not start a second command.
TEST_F(MainWindowViewTest, CommandTurnsTheButtonsOffAndDropsClicksMadeMeanwhile) {
    int downloads = 0;
    std::vector<bool> buttonsDuring;
    m_handlers.DownloadButton_Click = [&] { ++downloads; };
    m_handlers.ResetButton_Click = [&] {
        m_model.DisableButtons();
        buttonsDuring = EnabledButtons();
        QPushButton* download = Page().DownloadButton;
        const QPointF centre = QRectF(download->rect()).center();
        for (auto [type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton},
                                     std::pair{QEvent::MouseButtonRelease, Qt::NoButton}}) {
            QCoreApplication::postEvent(download,
                                        new QMouseEvent(type, centre, download->mapToGlobal(centre),
                                                        Qt::LeftButton, buttons, Qt::NoModifier));
        }
        m_model.EnableButtons();
    };
    Page().ResetButton->click();
    QCoreApplication::processEvents();

    EXPECT_EQ(buttonsDuring, std::vector<bool>(4, false));
    EXPECT_EQ(downloads, 0);
    EXPECT_EQ(EnabledButtons(), std::vector<bool>(4, true));
}

TEST_F(MainWindowViewTest, ConfigurationButtonsSwitchPageAndCaption) {
    m_handlers.ConfButton_Click = [&] { m_model.ShowConfigurationPage(true); };
    m_handlers.CancelButton_Click = [&] { m_model.ShowConfigurationPage(false); };
    auto* pages = Window().findChild<QStackedWidget*>();
    Page().ConfButton->click();
    EXPECT_EQ(pages->currentWidget(), &Window().configurationPage());
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Configuration"));
    Window().configurationPage().CancelButton->click();
    EXPECT_EQ(pages->currentWidget(), &Page());
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Tovrel"));
}

TEST_F(MainWindowViewTest, ClosingDuringACommandUnloadsOnceTheCommandEnds) {
    int unloads = 0, unloadsDuring = -1;
    m_handlers.Form_QueryUnload = [&] { ++unloads; };
    m_handlers.RunButton_Click = [&] {
        Window().close();
        unloadsDuring = unloads;
    };
    Page().RunButton->click();
    EXPECT_EQ(unloadsDuring, 0);
    EXPECT_EQ(unloads, 1);
}

TEST_F(MainWindowViewTest, StatusLogJoinsPartsBreaksLinesOnceAndStaysScrolledToTheEnd) {
    QPlainTextEdit* status = Page().Status;
    for (int i = 0; i < 60; ++i) {
        m_model.AppendStatus("DOWNLOADING CODE [");
        m_model.AppendStatus("x.hex]:");
        m_model.AppendStatus("..........OK", true);
    }
    // CR LF, a lone CR or a lone LF is one line end, even when split between two appends.
    for (const char* part : {"A\r", "\nB\r", "C\nD\r\n\r\n", "ERASING CODE "}) {
        m_model.AppendStatus(part);
    }
    EXPECT_EQ(status->blockCount(), 66);
    EXPECT_TRUE(status->toPlainText().endsWith(QStringLiteral("OK\nA\nB\nC\nD\n\nERASING CODE ")));
    EXPECT_EQ(status->document()->findBlockByNumber(59).text(),
              QStringLiteral("DOWNLOADING CODE [x.hex]:..........OK"));
    EXPECT_EQ(status->document()->lastBlock().text(), QStringLiteral("ERASING CODE "));
    EXPECT_EQ(status->textCursor().position(), status->document()->characterCount() - 1);
    EXPECT_GT(status->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(status->verticalScrollBar()->value(), status->verticalScrollBar()->maximum());
}

TEST_F(MainWindowViewTest, CheckBoxClicksRunThePanelHandlers) {
    ConfigurationPage& page = Panel();
    page.CheckBoxFor(Check::Check1)->click();
    EXPECT_TRUE(m_panel.Check1.checked);
    EXPECT_TRUE(page.HexFileCHKSUM->isVisible());
    page.CheckBoxFor(Check::Check1)->click();
    EXPECT_FALSE(page.HexFileCHKSUM->isVisible());

    // Serial safe mode asks first; closing the warning is a No and clears the box again.
    m_panel.SecureModeButton.enabled = m_panel.SerialSafeModeButton.enabled = true;
    page.Render();
    QCheckBox* serialSafe = page.CheckBoxFor(Check::SerialSafeModeButton);
    serialSafe->click();
    QWidget* warning = TopLevelTitled(QStringLiteral("Form1"));
    ASSERT_NE(warning, nullptr);
    warning->close();
    EXPECT_FALSE(m_panel.SerialSafeModeButton.checked);
    EXPECT_FALSE(serialSafe->isChecked());
}

TEST_F(MainWindowViewTest, OptionClicksAndLeavingABoxRunThePanelHandlers) {
    ConfigurationPage& page = Panel();
    QTest::mouseClick(page.EraseCodeButton[0], Qt::LeftButton);
    QTest::mouseClick(page.EraseCodeButton[0], Qt::LeftButton);  // stays chosen
    EXPECT_EQ(m_panel.EraseCodeButton.selected, 0);
    EXPECT_TRUE(page.EraseCodeButton[0]->isChecked());
    EXPECT_FALSE(page.DownloadCodeButton[0]->isEnabled());

    QTest::mouseClick(page.XtalButton[2], Qt::LeftButton);
    page.FrequencyTextbox->clear();
    QTest::keyClicks(page.FrequencyTextbox, QStringLiteral("16"));
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(page.FrequencyTextbox, &leave);
    EXPECT_EQ(page.KernelBaudrateTextbox->text(), QStringLiteral("13889"));
    EXPECT_EQ(page.PCBaudrateTextbox->text(), QStringLiteral("14399"));
}

// Draws the window for the documentation when TOVREL_SCREENSHOT_DIR names a folder:
//   TOVREL_SCREENSHOT_DIR=docs build/bin/ui_tests --gtest_filter='Screenshots.*'
class Screenshots : public MainWindowViewTest {};

TEST_F(Screenshots, DrawTheWindowForTheDocumentation) {
    const QDir folder(qEnvironmentVariable("TOVREL_SCREENSHOT_DIR"));
    if (qEnvironmentVariableIsEmpty("TOVREL_SCREENSHOT_DIR")) GTEST_SKIP();
    m_panel.FillCOMPortList();
    m_panel.SetChecked(Check::Check1, true);
    m_model.SetPelliconText("Zerk8QA version 2.05");
    m_model.AppendStatus("Configuration: COM1, 9600 baud\r\nRESETTING PART: OK", true);
    m_model.AppendStatus("DOWNLOADING CODE [blink.hex]:");
    m_model.ShowProgress();
    m_model.SetProgressValue(40);
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    EXPECT_TRUE(Window().grab().save(folder.filePath(QStringLiteral("main-window.png"))));
    Panel();
    EXPECT_TRUE(Window().grab().save(folder.filePath(QStringLiteral("configuration-panel.png"))));
    m_host.ShowSerialSafeWarning([](bool) {});
    QWidget* warning = TopLevelTitled(QStringLiteral("Form1"));
    ASSERT_NE(warning, nullptr);
    EXPECT_TRUE(warning->grab().save(folder.filePath(QStringLiteral("serial-safe-warning.png"))));
    warning->close();
}

}  // namespace
}  // namespace tovrel
