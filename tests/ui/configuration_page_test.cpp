#include "ui/configuration_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "tests/ui/test_application.h"
#include "ui/qt_host.h"

namespace tovrel {
namespace {

using testing::TestApplication;
using testing::TopLevelTitled;

class ConfigurationPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_panel.onChanged = [this] { m_page.Render(); };
        m_page.show();
    }
    void TearDown() override { m_panel.onChanged = nullptr; }

    static void LeaveBox(QLineEdit* box) {
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(box, &leave);
    }

    QApplication& m_application = TestApplication();
    Settings m_settings;
    QtHost m_host{0, nullptr};
    ConfigurationPanel m_panel{m_settings, m_host};
    ConfigurationPage m_page{m_panel};
};

TEST_F(ConfigurationPageTest, ChecksumBoxAppearsWithItsCheckBox) {
    EXPECT_FALSE(m_page.HexFileCHKSUM->isVisible());
    QTest::mouseClick(m_page.CheckBoxFor(Check::Check1), Qt::LeftButton);
    EXPECT_TRUE(m_panel.Check1.checked);
    EXPECT_TRUE(m_page.HexFileCHKSUM->isVisible());
    EXPECT_TRUE(m_page.HexFileCHKSUMLbl->isVisible());
    QTest::mouseClick(m_page.CheckBoxFor(Check::Check1), Qt::LeftButton);
    EXPECT_FALSE(m_page.HexFileCHKSUM->isVisible());
}

TEST_F(ConfigurationPageTest, EraseCodeOnlyForcesDownloadCodeOnly) {
    QTest::mouseClick(m_page.EraseCodeButton[0], Qt::LeftButton);
    EXPECT_EQ(m_panel.EraseCodeButton.selected, 0);
    EXPECT_TRUE(m_page.EraseCodeButton[0]->isChecked());
    EXPECT_FALSE(m_page.EraseCodeButton[1]->isChecked());
    EXPECT_FALSE(m_page.DownloadCodeButton[0]->isEnabled());
    EXPECT_TRUE(m_page.DownloadCodeButton[1]->isChecked());
    EXPECT_FALSE(m_page.DownloadCodeButton[2]->isEnabled());
    // A second click on the chosen option leaves it chosen.
    QTest::mouseClick(m_page.EraseCodeButton[0], Qt::LeftButton);
    EXPECT_TRUE(m_page.EraseCodeButton[0]->isChecked());
}

TEST_F(ConfigurationPageTest, LeavingTheFrequencyBoxWorksOutTheBaudRates) {
    QTest::mouseClick(m_page.XtalButton[2], Qt::LeftButton);
    ASSERT_TRUE(m_page.FrequencyTextbox->isEnabled());
    m_page.FrequencyTextbox->clear();
    QTest::keyClicks(m_page.FrequencyTextbox, QStringLiteral("16"));
    EXPECT_EQ(m_panel.FrequencyTextbox.text, "16");
    LeaveBox(m_page.FrequencyTextbox);
    EXPECT_EQ(m_page.KernelBaudrateTextbox->text(), QStringLiteral("13889"));
    EXPECT_EQ(m_page.PCBaudrateTextbox->text(), QStringLiteral("14399"));
}

TEST_F(ConfigurationPageTest, ClosingTheSerialSafeWarningClearsTheBox) {
    m_panel.SecureModeButton.enabled = m_panel.SerialSafeModeButton.enabled = true;
    m_page.Render();
    QCheckBox* serialSafe = m_page.CheckBoxFor(Check::SerialSafeModeButton);
    QTest::mouseClick(serialSafe, Qt::LeftButton);
    QWidget* warning = TopLevelTitled(QStringLiteral("Form1"));
    ASSERT_NE(warning, nullptr);
    EXPECT_TRUE(serialSafe->isChecked());
    warning->close();
    EXPECT_FALSE(m_panel.SerialSafeModeButton.checked);
    EXPECT_FALSE(serialSafe->isChecked());
}

TEST_F(ConfigurationPageTest, PortListShowsTheModelsChoiceAndTakesTheUsers) {
    for (int port = 1; port <= 32; ++port)
        m_panel.COMPortList.push_back("COM" + std::to_string(port));
    m_panel.COMPortListIndex = 2;
    m_page.Render();
    ASSERT_EQ(m_page.COMPortList->count(), 32);
    EXPECT_EQ(m_page.COMPortList->currentText(), QStringLiteral("COM3"));
    m_page.COMPortList->setCurrentIndex(4);  // as the user's pick arrives
    EXPECT_EQ(m_panel.COMPortListIndex, 4);
}

}  // namespace
}  // namespace tovrel
