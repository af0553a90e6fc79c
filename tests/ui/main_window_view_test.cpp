#include "ui/main_window_view.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "tests/ui/test_application.h"
#include "ui/configuration_page.h"
#include "ui/main_page.h"
#include "ui/qt_host.h"

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
    QtHost m_host{{}};
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

// Enter presses the focused button; on the panel it means OK and Escape means Cancel.
TEST_F(MainWindowViewTest, KeysSwitchPageAndCaptionWithTheFocusOnThePageShown) {
    std::vector<std::string> pressed;
    m_handlers.ConfButton_Click = [&] { m_model.ShowConfigurationPage(true); };
    m_handlers.OKButton_Click = [&] { pressed.push_back("OK"); };
    m_handlers.CancelButton_Click = [&] {
        pressed.push_back("Cancel");
        m_model.ShowConfigurationPage(false);
    };
    auto* pages = Window().findChild<QStackedWidget*>();
    ConfigurationPage& panel = Window().configurationPage();
    QTest::keyClick(Window().focusWidget(), Qt::Key_Return);
    EXPECT_EQ(pages->currentWidget(), &panel);
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Configuration"));
    EXPECT_EQ(Window().focusWidget(), panel.CheckBoxFor(Check::LockModeButton));
    QTest::keyClick(panel.FrequencyTextbox, Qt::Key_Return);
    QTest::keyClick(Window().focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(pressed, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_EQ(pages->currentWidget(), &Page());
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Tovrel"));
    EXPECT_EQ(Window().focusWidget(), Page().ConfButton);
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
                if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) {
                    dialog->reject();
                }
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

struct Drawn {
    const char* name;
    QRect twips;  // left, top, width, height
};

// At 96 dpi a pixel is 15 twips; the rounding may move each edge by half a pixel. Where the
// drawn face is missing, its metric-compatible Liberation face stands in.
TEST_F(MainWindowViewTest, FormHasItsDrawnSizeAndControlsTheirDrawnPlacesAndFaces) {
    if (Window().logicalDpiX() != 96 || Window().logicalDpiY() != 96) GTEST_SKIP();
    constexpr int kTwipsPerPixel = 15, kTwoHalfPixels = 14;
    EXPECT_EQ(Window().centralWidget()->size() * kTwipsPerPixel, QSize(9615, 7095));
    EXPECT_EQ(Window().minimumSize(), Window().maximumSize());
    // clang-format off
    const Drawn controls[] = {
        {"Label8", {840, 1200, 6735, 615}}, {"Label7", {3960, 330, 4455, 735}},
        {"Label9", {8400, 210, 375, 495}}, {"Label6", {7560, 1200, 1215, 615}},
        {"ConfButton", {600, 2040, 1800, 700}}, {"ResetButton", {2760, 2040, 1800, 700}},
        {"DownloadButton", {4920, 2040, 1800, 700}}, {"RunButton", {7080, 2040, 1800, 700}},
        {"ProgressBar", {600, 3000, 4695, 495}}, {"PelliconText", {5520, 3000, 3615, 495}},
        {"Status", {600, 3720, 8415, 3015}}};
    // clang-format on
    for (const Drawn& drawn : controls) {
        const QWidget* w = Page().findChild<QWidget*>(QString::fromLatin1(drawn.name));
        ASSERT_NE(w, nullptr) << drawn.name;
        const QRect twips(w->mapTo(&Page(), QPoint(0, 0)) * kTwipsPerPixel,
                          w->size() * kTwipsPerPixel);
        for (QPoint off : {twips.topLeft() - drawn.twips.topLeft(),
                           twips.bottomRight() - drawn.twips.bottomRight()}) {
            EXPECT_LE(off.manhattanLength(), kTwoHalfPixels) << drawn.name;
        }
        const QString face = QFontInfo(w->font()).family();
        EXPECT_TRUE(face == w->font().family() || face.startsWith(QStringLiteral("Liberation ")))
            << drawn.name;
    }
}

// At the form's one size every caption shows whole and every box its widest text, on both
// pages (the panel is laid out to fit the main page's size).
TEST_F(MainWindowViewTest, NothingIsCutOffAtTheSmallestSize) {
    m_model.SetPelliconText("Zerk8QA version 2.05");
    m_panel.SetChecked(Check::Check1, true);
    for (auto [box, text] : {std::pair{&m_panel.RunAddressTextbox, "FFFFFFFF"},
                             {&m_panel.HexFileCHKSUM, "-2147483648"},
                             {&m_panel.FrequencyTextbox, "265.4207"},
                             {&m_panel.PCBaudrateTextbox, "115200"}}) {
        m_panel.SetText(*box, text);
    }
    Window().resize(Window().minimumSize());
    for (QWidget* page : {static_cast<QWidget*>(&Page()), static_cast<QWidget*>(&Panel())}) {
        QCoreApplication::processEvents();
        for (const QWidget* w : page->findChildren<QWidget*>()) {
            QSize needed;
            if (auto* edit = qobject_cast<const QLineEdit*>(w)) {
                constexpr int kFrameAndMargins = 8;
                needed = {edit->fontMetrics().horizontalAdvance(edit->text()) + kFrameAndMargins,
                          edit->fontMetrics().height()};
            } else if (qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w) ||
                       qobject_cast<const QGroupBox*>(w)) {
                needed = w->minimumSizeHint();
            }
            if (!w->isVisibleTo(page) || needed.isEmpty()) continue;
            EXPECT_EQ(w->size().expandedTo(needed), w->size()) << w->objectName().toStdString();
        }
    }
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
}

TEST_F(MainWindowViewTest, OptionClicksAndLeavingABoxRunThePanelHandlers) {
    ConfigurationPage& page = Panel();
    QTest::mouseClick(page.EraseCodeButton[0], Qt::LeftButton);
    QTest::mouseClick(page.EraseCodeButton[0], Qt::LeftButton);  // stays chosen
    EXPECT_EQ(m_panel.EraseCodeButton.selected, 0);
    EXPECT_TRUE(page.EraseCodeButton[0]->isChecked());
    EXPECT_FALSE(page.DownloadCodeButton[0]->isEnabled());
    // A group is one Tab stop, its chosen option; the arrows choose within it, round the ends.
    QCheckBox* verify = page.CheckBoxFor(Check::VerifyAfterDownloadButton);
    verify->setFocus();
    QTest::keyClick(verify, Qt::Key_Backtab);
    EXPECT_EQ(Window().focusWidget(), page.EraseCodeButton[0]);
    QTest::keyClick(page.EraseCodeButton[0], Qt::Key_Up);
    EXPECT_EQ(Window().focusWidget(), page.EraseCodeButton[1]);
    EXPECT_TRUE(page.DownloadCodeButton[0]->isEnabled());

    QTest::mouseClick(page.XtalButton[2], Qt::LeftButton);
    page.FrequencyTextbox->clear();
    QTest::keyClicks(page.FrequencyTextbox, QStringLiteral("16"));
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(page.FrequencyTextbox, &leave);
    EXPECT_EQ(page.KernelBaudrateTextbox->text(), QStringLiteral("13889"));
    EXPECT_EQ(page.PCBaudrateTextbox->text(), QStringLiteral("14399"));
}

}  // namespace
}  // namespace tovrel
