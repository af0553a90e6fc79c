#include "ui/main_window_view.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/ui/test_application.h"
#include "ui/configuration_page.h"
#include "ui/main_page.h"
#include "ui/qt_host.h"
#include "ui/run_with_window.h"

namespace tovrel {
namespace {

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
    std::vector<bool> EnabledButtons() {
        std::vector<bool> enabled;
        for (QPushButton* button :
             {Page().ConfButton, Page().ResetButton, Page().DownloadButton, Page().RunButton})
            enabled.push_back(button->isEnabled());
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

struct WaitCase {
    const char* name;
    void (*wait)(QtHost& host);
    bool windowTakesInput;  // the serial-safe warning leaves the window usable
};
class ClosingDuringACommand : public MainWindowViewTest,
                              public ::testing::WithParamInterface<WaitCase> {};

// A modal dialog would swallow the window's close box: the command's dialogs block only the
// user's input, and the close counts once the command is over.
TEST_P(ClosingDuringACommand, UnloadsOnceTheCommandEnds) {
    int unloads = 0, unloadsDuring = -1, clicksDuring = 0;
    m_handlers.Form_QueryUnload = [&] { ++unloads; };
    m_handlers.ConfButton_Click = [&] { ++clicksDuring; };
    m_handlers.RunButton_Click = [&] {
        QTimer::singleShot(0, [&] {
            EXPECT_EQ(QGuiApplication::modalWindow(), nullptr);
            QTest::mouseClick(Page().ConfButton, Qt::LeftButton);
            Window().close();
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible())
                    dialog->reject();
            }
        });
        GetParam().wait(m_host);
        unloadsDuring = unloads;
    };
    m_host.SetWindow(&Window());
    Page().RunButton->click();
    EXPECT_EQ(unloadsDuring, 0);
    EXPECT_EQ(unloads, 1);
    EXPECT_EQ(clicksDuring, GetParam().windowTakesInput ? 1 : 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Waits, ClosingDuringACommand, ::testing::Values(
    WaitCase{"Pause", [](QtHost& h) { h.Pause(0.05f); }, true},
    WaitCase{"FileDialog", [](QtHost& h) { h.OpenFileDialog("Hex Files (*.Hex)|*.hex"); }, false},
    WaitCase{"MessageBox", [](QtHost& h) { h.MessageBox("Invalid Hex File", "Warning"); }, false},
    WaitCase{"SerialSafeWarning", [](QtHost& h) {
        bool answered = false;
        h.ShowSerialSafeWarning([&](bool) { answered = true; });
        h.ProcessEventsUntil([&] { return answered; });
    }, true}),
    [](const auto& info) { return info.param.name; });
// clang-format on

// Clicks and leaving a box run the panel's handlers; the widgets show what they did.
TEST_F(MainWindowViewTest, UserEventsRunThePanelHandlers) {
    m_model.ShowConfigurationPage(true);
    ConfigurationPage& page = Window().configurationPage();
    page.CheckBoxFor(Check::Check1)->click();
    EXPECT_TRUE(m_panel.Check1.checked && page.HexFileCHKSUM->isVisible());
    QTest::mouseClick(page.EraseCodeButton[0], Qt::LeftButton);
    EXPECT_EQ(m_panel.EraseCodeButton.selected, 0);
    EXPECT_FALSE(page.DownloadCodeButton[0]->isEnabled());
    QTest::mouseClick(page.XtalButton[2], Qt::LeftButton);
    page.FrequencyTextbox->clear();
    QTest::keyClicks(page.FrequencyTextbox, QStringLiteral("16"));
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(page.FrequencyTextbox, &leave);
    EXPECT_EQ(page.KernelBaudrateTextbox->text() + page.PCBaudrateTextbox->text(),
              QStringLiteral("1388914399"));
}

// The program with its window, in a process of its own (it makes its own application object):
// the close box saves the settings to the user's store, read and written through QSettings.
TEST(RunWithWindowDeathTest, CloseBoxSavesTheSettingsToTheUserStore) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Made by the test; the process that runs the program finds it in its environment.
    if (!getenv("TOVREL_TEST_CONFIG")) {
        std::string pattern = ::testing::TempDir() + "tovrel-window-XXXXXX";
        setenv("TOVREL_TEST_CONFIG", mkdtemp(pattern.data()), 1);
    }
    const std::string home = getenv("TOVREL_TEST_CONFIG");
    const std::string file = home + "/Tovrel/Tovrel.conf";
    std::filesystem::create_directories(home + "/Tovrel");
    std::ofstream(file) << "[8051]\nLockMode=true\n";
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    setenv("TOVREL_COM1", (home + "/no-port").c_str(), 1);
    // The port cannot open: its messages come up at start-up, then the window; each is closed.
    const auto closeEverything = [] {
        auto* closer = new QTimer(qApp);
        QObject::connect(closer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) return (void)modal->close();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<QMainWindow*>(w) && w->isVisible()) w->close();
        });
        closer->start(20);
    };
    char name[] = "tovrel";
    char* argv[] = {name, nullptr};
    EXPECT_EXIT((qAddPreRoutine(closeEverything), std::exit(RunWithWindow(1, argv))),
                ::testing::ExitedWithCode(0), "");
    std::stringstream saved;
    saved << std::ifstream(file).rdbuf();
    for (const char* line : {"[8051]\n", "LockMode=True\n", "EraseMode=True\n", "fcore=0\n"})
        EXPECT_NE(saved.str().find(line), std::string::npos) << line << " in " << saved.str();
    std::filesystem::remove_all(home);
}

}  // namespace
}  // namespace tovrel
