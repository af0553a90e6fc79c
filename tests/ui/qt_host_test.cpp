#include "ui/qt_host.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/user_texts.h"
#include "tests/ui/test_application.h"

namespace tovrel {
namespace {

using testing::TopLevelTitled;

struct FilterCase {
    const char* given;
    const char* expected;
};

class QtNameFilterTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(QtNameFilterTest, KeepsDescriptionAndOffersEveryCase) {
    EXPECT_EQ(QtNameFilter(GetParam().given).toStdString(), GetParam().expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Filters, QtNameFilterTest, ::testing::Values(
    FilterCase{"Hex Files (*.Hex)|*.hex", "Hex Files (*.hex *.HEX *.Hex)"},
    FilterCase{"Data (*.txt)|*.txt|All Files (*.*)|*.*", "Data (*.txt *.TXT);;All Files (*.*)"},
    FilterCase{"Hex Files|*.hex;*.ihx", "Hex Files (*.hex *.HEX *.ihx *.IHX)"},
    FilterCase{"Anything", "Anything (*)"}));
// clang-format on

void Click(QWidget* warning, const char* button) {
    warning->findChild<QPushButton*>(QString::fromLatin1(button))->click();
}

struct AnswerCase {
    const char* name;
    void (*closing)(QWidget* warning);
    bool expected;
};

class SerialSafeWarningTest : public ::testing::TestWithParam<AnswerCase> {};

// The user's action arrives as an event while the program waits for the answer. The close
// box and Escape must not let serial safe mode through: only Yes keeps it.
TEST_P(SerialSafeWarningTest, AnswersOnceAndOnlyYesMeansYes) {
    testing::TestApplication();
    QtHost host({});
    std::vector<bool> answers;
    host.ShowSerialSafeWarning([&](bool yes) { answers.push_back(yes); });
    QWidget* warning = TopLevelTitled(QStringLiteral("Form1"));
    ASSERT_NE(warning, nullptr);
    QTimer::singleShot(0, warning, [warning, closing = GetParam().closing] { closing(warning); });
    QElapsedTimer waited;
    waited.start();
    host.ProcessEventsUntil([&] { return !answers.empty() || waited.hasExpired(2000); });
    EXPECT_EQ(answers, std::vector<bool>{GetParam().expected});
    EXPECT_EQ(TopLevelTitled(QStringLiteral("Form1")), nullptr);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Closings, SerialSafeWarningTest, ::testing::Values(
    AnswerCase{"YesButton", [](QWidget* w) { Click(w, "WarningYesButton"); }, true},
    AnswerCase{"NoButton", [](QWidget* w) { Click(w, "WarningNoButton"); }, false},
    AnswerCase{"CloseBox", [](QWidget* w) { w->close(); }, false},
    AnswerCase{"Escape", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }, false},
    AnswerCase{"Enter", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }, false}),
    [](const auto& info) { return info.param.name; });
// clang-format on

// Stored serial safe mode asks during loading, before the window shows: the warning must not
// come up behind the window, where its buttons are hidden.
TEST(QtHostTest, WarningAskedBeforeTheWindowShowsComesUpAboveItWithTheFocusOnNo) {
    testing::TestApplication();
    QtHost host({});
    QWidget window;
    host.SetWindow(&window);
    host.ShowSerialSafeWarning([](bool) {});
    EXPECT_EQ(TopLevelTitled(QStringLiteral("Form1")), nullptr);
    window.show();
    host.WindowShown();
    QWidget* warning = TopLevelTitled(QStringLiteral("Form1"));
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(warning->windowHandle()->transientParent(), window.windowHandle());
    EXPECT_TRUE(QTest::qWaitForWindowActive(warning));
    EXPECT_EQ(QApplication::focusWidget(),
              warning->findChild<QPushButton*>(QStringLiteral("WarningNoButton")));
    warning->close();
}

// Qt breaks a label's lines at LF only; every line end of the message must show, the blank
// lines of CR CR LF too.
TEST(QtHostTest, MessageBoxShowsEveryLineBreak) {
    testing::TestApplication();
    QStringList shown;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        shown = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text().split('\n');
        box->close();
    });
    QtHost({}).MessageBox(ResetErrorText(), "Warning");
    EXPECT_EQ(shown.size(), 11);
    EXPECT_EQ(shown.mid(0, 4),
              (QStringList{QStringLiteral("Error: could not reset the device"), QString(),
                           QStringLiteral("Please ensure that..."), QString()}));
}

}  // namespace
}  // namespace tovrel
