#include "ui/main_window_view.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>
#include <QTextBlock>

#include "tests/support/fake_host.h"
#include "tests/ui/test_application.h"
#include "ui/configuration_page.h"
#include "ui/main_page.h"

namespace tovrel {
namespace {

using testing::FakeHost;
using testing::TestApplication;

class MainWindowViewTest : public ::testing::Test {
  protected:
    void SetUp() override { TestApplication(); }

    MainWindowView& Window() {
        if (!m_window) {
            m_window = std::make_unique<MainWindowView>(m_model, m_panel, m_handlers);
            m_window->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        }
        return *m_window;
    }
    MainPage& Page() { return Window().mainPage(); }
    std::vector<QPushButton*> Buttons() {
        return {Page().ConfButton, Page().ResetButton, Page().DownloadButton, Page().RunButton};
    }
    std::vector<bool> EnabledButtons() {
        std::vector<bool> enabled;
        for (QPushButton* button : Buttons()) enabled.push_back(button->isEnabled());
        return enabled;
    }
    // A click the window system queued for later, as one made while a command runs.
    static void QueueClick(QPushButton* button) {
        const QPointF centre = QRectF(button->rect()).center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QCoreApplication::postEvent(
                button,
                new QMouseEvent(type, centre, button->mapToGlobal(centre), Qt::LeftButton,
                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                Qt::NoModifier));
        }
    }

    MainWindowModel m_model;
    Settings m_settings;
    FakeHost m_host;
    ConfigurationPanel m_panel{m_settings, m_host};
    FormHandlers m_handlers;
    std::unique_ptr<MainWindowView> m_window;
};

TEST_F(MainWindowViewTest, CommandShowsItsProgressWithButtonsOffAndDropsClicksMadeMeanwhile) {
    int downloads = 0;
    std::vector<bool> buttonsDuring;
    QString statusDuring;
    bool progressShownDuring = false;
    m_handlers.DownloadButton_Click = [&] { ++downloads; };
    m_handlers.ResetButton_Click = [&] {
        m_model.DisableButtons();
        buttonsDuring = EnabledButtons();
        QueueClick(Page().DownloadButton);
        m_model.ShowProgress();
        m_model.SetProgressMin(0);
        m_model.SetProgressMax(4);
        m_model.SetProgressValue(3);
        progressShownDuring = Page().ProgressBar->isVisible() && Page().ProgressBar->value() == 3;
        m_model.HideProgress();
        m_model.AppendStatus("RESETTING DEVICE: OK", true);
        statusDuring = Page().Status->toPlainText();
        m_model.EnableButtons();
    };
    Page().ResetButton->click();
    QCoreApplication::processEvents();

    EXPECT_EQ(buttonsDuring, std::vector<bool>(4, false));
    EXPECT_TRUE(progressShownDuring);
    EXPECT_EQ(statusDuring, QStringLiteral("RESETTING DEVICE: OK\n"));
    EXPECT_EQ(downloads, 0);
    EXPECT_EQ(EnabledButtons(), std::vector<bool>(4, true));
    EXPECT_FALSE(Page().ProgressBar->isVisible());
}

TEST_F(MainWindowViewTest, ConfigurationButtonsSwitchPageAndCaption) {
    m_handlers.ConfButton_Click = [&] { m_model.ShowConfigurationPage(true); };
    m_handlers.CancelButton_Click = [&] { m_model.ShowConfigurationPage(false); };
    auto* pages = Window().findChild<QStackedWidget*>();
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Tovrel"));

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
    EXPECT_FALSE(Window().isVisible());
}

TEST_F(MainWindowViewTest, StatusLogJoinsPartsIntoOneLineAndStaysScrolledToTheEnd) {
    Window();
    for (int i = 0; i < 60; ++i) {
        m_model.AppendStatus("DOWNLOADING CODE [");
        m_model.AppendStatus("x.hex");
        m_model.AppendStatus("]:");
        m_model.AppendStatus("..........OK", true);
    }
    m_model.AppendStatus("ERASING CODE ");
    QPlainTextEdit* status = Page().Status;
    EXPECT_EQ(status->blockCount(), 61);
    EXPECT_EQ(status->document()->findBlockByNumber(59).text(),
              QStringLiteral("DOWNLOADING CODE [x.hex]:..........OK"));
    EXPECT_EQ(status->document()->lastBlock().text(), QStringLiteral("ERASING CODE "));
    EXPECT_EQ(status->textCursor().position(), status->document()->characterCount() - 1);
    EXPECT_GT(status->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(status->verticalScrollBar()->value(), status->verticalScrollBar()->maximum());
}

}  // namespace
}  // namespace tovrel
