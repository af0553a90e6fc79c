#include "ui/qt_host.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <optional>

#include "tests/ui/test_application.h"

namespace tovrel {
namespace {

using testing::TestApplication;
using testing::TopLevelTitled;

struct FilterCase {
    const char* given;
    const char* expected;
};

class QtNameFilterTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(QtNameFilterTest, KeepsDescriptionAndOffersEveryCase) {
    EXPECT_EQ(QtNameFilter(GetParam().given).toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, QtNameFilterTest,
    ::testing::Values(FilterCase{"Hex Files (*.Hex)|*.hex", "Hex Files (*.hex *.HEX *.Hex)"},
                      FilterCase{"Data (*.txt)|*.txt|All Files (*.*)|*.*",
                                 "Data (*.txt *.TXT);;All Files (*.*)"},
                      FilterCase{"Hex Files|*.hex;*.ihx", "Hex Files (*.hex *.HEX *.ihx *.IHX)"},
                      FilterCase{"Anything", "Anything (*)"}));

enum class Closing { YesButton, NoButton, CloseBox, EscapeKey };

struct AnswerCase {
    Closing closing;
    bool expected;
};

class SerialSafeWarningTest : public ::testing::TestWithParam<AnswerCase> {
  protected:
    void SetUp() override { TestApplication(); }
    QtHost m_host{0, nullptr};
};

// The close box and Escape must not let serial safe mode through: only Yes keeps it.
TEST_P(SerialSafeWarningTest, AnswersOnceAndOnlyYesMeansYes) {
    std::vector<bool> answers;
    m_host.ShowSerialSafeWarning([&](bool yes) { answers.push_back(yes); });
    QWidget* warning = TopLevelTitled(QStringLiteral("Form1"));
    ASSERT_NE(warning, nullptr);
    switch (GetParam().closing) {
        case Closing::YesButton:
            warning->findChild<QPushButton*>(QStringLiteral("WarningYesButton"))->click();
            break;
        case Closing::NoButton:
            warning->findChild<QPushButton*>(QStringLiteral("WarningNoButton"))->click();
            break;
        case Closing::CloseBox:
            warning->close();
            break;
        case Closing::EscapeKey:
            QTest::keyClick(warning, Qt::Key_Escape);
            break;
    }
    EXPECT_EQ(answers, std::vector<bool>{GetParam().expected});
    EXPECT_EQ(TopLevelTitled(QStringLiteral("Form1")), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Closings, SerialSafeWarningTest,
                         ::testing::Values(AnswerCase{Closing::YesButton, true},
                                           AnswerCase{Closing::NoButton, false},
                                           AnswerCase{Closing::CloseBox, false},
                                           AnswerCase{Closing::EscapeKey, false}));

TEST(QtHostTest, WaitingEndsWhenTheWarningIsAnswered) {
    TestApplication();
    QtHost host(0, nullptr);
    std::optional<bool> answer;
    host.ShowSerialSafeWarning([&](bool yes) { answer = yes; });
    QWidget* warning = TopLevelTitled(QStringLiteral("Form1"));
    ASSERT_NE(warning, nullptr);
    // The user's click arrives as an event while the program waits.
    QTimer::singleShot(0, warning->findChild<QPushButton*>(QStringLiteral("WarningYesButton")),
                       &QPushButton::click);
    host.ProcessEventsUntil([&] { return answer.has_value(); });
    EXPECT_EQ(answer, std::optional<bool>(true));
}

TEST(QtHostTest, CommandLineWordsLeaveOutTheProgramName) {
    char program[] = "tovrel", file[] = "my file.hex", sw[] = "/D";
    char* argv[] = {program, file, sw, nullptr};
    EXPECT_EQ(QtHost(3, argv).CommandLineWords(), (std::vector<std::string>{"my file.hex", "/D"}));
}

}  // namespace
}  // namespace tovrel
