#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/console_host.h"
#include "core/user_texts.h"
#include "testbed/temp_dir.h"
#include "ui/configuration_page.h"
#include "ui/look.h"
#include "ui/main_page.h"
#include "ui/main_window_view.h"
#include "ui/qt_host.h"
#include "ui/run_with_window.h"

namespace tovrel {
namespace {

// One application object for all widget tests; without a display the widgets draw offscreen.
QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static auto* app = new QApplication(argc, argv);  // lives until the process ends
    return *app;
}

QWidget* TopLevelTitled(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowTitle() == title) return widget;
    return nullptr;
}

// The window over its models, shown once the handlers are set.
struct Window {
    MainWindowView& View() {
        if (!view) {
            view = std::make_unique<MainWindowView>(model, panel, handlers);
            view->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        }
        return *view;
    }
    MainPage& Page() { return View().mainPage(); }
    QApplication& application = TestApplication();
    MainWindowModel model;
    Settings settings;
    QtHost host{0, nullptr};
    ConfigurationPanel panel{settings, host};
    FormHandlers handlers;
    std::unique_ptr<MainWindowView> view;
};

// A modal wait would swallow the close box: the close counts once the command is over.
TEST(MainWindowView, ClosingDuringACommandUnloadsOnceTheCommandEnds) {
    // clang-format off
    const std::pair<void (*)(QtHost&), int> waits[] = {  // the wait, clicks the window takes
        {[](QtHost& h) { h.MessageBox("Invalid Hex File", "Warning"); }, 0},
        {[](QtHost& h) {
             bool answered = false;
             h.ShowSerialSafeWarning([&](bool) { answered = true; });
             h.ProcessEventsUntil([&] { return answered; });
         }, 1}};
    // clang-format on
    for (auto [wait, clicks] : waits) {
        Window w;
        int unloads = 0, unloadsDuring = -1, clicksDuring = 0;
        w.handlers.Form_QueryUnload = [&] { ++unloads; };
        w.handlers.ConfButton_Click = [&] { ++clicksDuring; };
        w.handlers.RunButton_Click = [&, wait = wait] {
            QTimer::singleShot(0, [&] {
                EXPECT_EQ(QGuiApplication::modalWindow(), nullptr);
                QTest::mouseClick(w.Page().ConfButton, Qt::LeftButton);
                w.View().close();
                for (QWidget* top : QApplication::topLevelWidgets()) {
                    if (auto* dialog = qobject_cast<QDialog*>(top); dialog && dialog->isVisible())
                        dialog->reject();
                }
            });
            wait(w.host);
            unloadsDuring = unloads;
        };
        w.host.SetWindow(&w.View());
        w.Page().RunButton->click();
        EXPECT_EQ(std::tuple(unloadsDuring, unloads, clicksDuring), std::tuple(0, 1, clicks));
    }
}

// The program in a process of its own: the close box saves the settings to the user's store.
TEST(RunWithWindowDeathTest, CloseBoxSavesTheSettingsToTheUserStore) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Made by the test; the process that runs the program finds it in its environment.
    if (!getenv("TOVREL_TEST_CONFIG")) {
        std::string pattern = ::testing::TempDir() + "tovrel-window-XXXXXX";
        setenv("TOVREL_TEST_CONFIG", mkdtemp(pattern.data()), 1);
    }
    const std::string home = getenv("TOVREL_TEST_CONFIG");
    std::filesystem::create_directories(home + "/Tovrel");
    std::ofstream(home + "/Tovrel/Tovrel.conf") << "[8051]\nLockMode=true\n";
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    setenv("TOVREL_COM1", (home + "/no-port").c_str(), 1);
    // The port cannot open: its messages wait for the window and come up above it; each is
    // closed, then the window. Every window has the program's icon.
    const auto closeEverything = [] {
        auto* closer = new QTimer(qApp);
        QObject::connect(closer, &QTimer::timeout, [] {
            if (QApplication::windowIcon().pixmap(32).isNull()) std::exit(3);
            QWidget* window = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<QMainWindow*>(w) && w->isVisible()) window = w;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (!qobject_cast<QDialog*>(w) || !w->isVisible()) continue;
                if (window == nullptr) std::exit(4);  // a box before the window
                return (void)w->close();
            }
            if (window != nullptr) window->close();
        });
        closer->start(20);
    };
    char name[] = "tovrel";
    char* argv[] = {name, nullptr};
    EXPECT_EXIT(
        (qAddPreRoutine(closeEverything), std::exit(RunWithWindow(1, argv, ParsedCommandLine()))),
        ::testing::ExitedWithCode(0), "");
    std::stringstream saved;
    saved << std::ifstream(home + "/Tovrel/Tovrel.conf").rdbuf();
    for (const char* line : {"[8051]\n", "LockMode=True\n", "EraseMode=True\n", "fcore=0\n"})
        EXPECT_NE(saved.str().find(line), std::string::npos) << line << " in " << saved.str();
    std::filesystem::remove_all(home);
}

// At 96 dpi a pixel is 15 twips; rounding may move an edge by half a pixel. Where the drawn
// face is missing, its metric-compatible Liberation face stands in.
TEST(MainWindowView, HasItsDrawnSizeWithEveryControlAtItsPlaceInItsFace) {
    Window w;
    if (w.View().logicalDpiX() != 96) GTEST_SKIP() << "drawn for 96 dpi";
    constexpr int kTwipsPerPixel = 15, kTwoHalfPixels = 14;
    EXPECT_EQ(w.View().centralWidget()->size() * kTwipsPerPixel, QSize(9615, 7095));
    EXPECT_EQ(w.View().minimumSize(), w.View().maximumSize());
    const std::pair<const char*, QRect> drawn[] = {
        {"Label8", {840, 1200, 6735, 615}},        {"Label7", {3960, 330, 4455, 735}},
        {"Label6", {7560, 1200, 1215, 615}},       {"ConfButton", {600, 2040, 1800, 700}},
        {"RunButton", {7080, 2040, 1800, 700}},    {"ProgressBar", {600, 3000, 4695, 495}},
        {"PelliconText", {5520, 3000, 3615, 495}}, {"Status", {600, 3720, 8415, 3015}}};
    for (const auto& [name, twips] : drawn) {
        const QWidget* c = w.Page().findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(c, nullptr) << name;
        const QRect at(c->mapTo(&w.Page(), QPoint(0, 0)) * kTwipsPerPixel,
                       c->size() * kTwipsPerPixel);
        EXPECT_LE((at.topLeft() - twips.topLeft()).manhattanLength(), kTwoHalfPixels) << name;
        EXPECT_LE((at.bottomRight() - twips.bottomRight()).manhattanLength(), kTwoHalfPixels)
            << name;
        const QString face = QFontInfo(c->font()).family();
        EXPECT_TRUE(face == c->font().family() || face.startsWith("Liberation ")) << name;
    }
}

// Enter presses the focused button; on the panel Enter means OK and Escape Cancel; a page
// opens with the focus on its first control.
TEST(MainWindowView, EnterAndEscapeAnswerAsOnThePlatformTheWindowComesFrom) {
    Window w;
    std::vector<std::string> pressed;
    w.handlers.ConfButton_Click = [&] { w.model.ShowConfigurationPage(true); };
    w.handlers.OKButton_Click = [&] { pressed.push_back("OK"); };
    w.handlers.CancelButton_Click = [&] {
        pressed.push_back("Cancel");
        w.model.ShowConfigurationPage(false);
    };
    ConfigurationPage& panel = w.View().configurationPage();
    QTest::keyClick(w.View().focusWidget(), Qt::Key_Return);
    EXPECT_EQ(w.View().findChild<QStackedWidget*>()->currentWidget(), &panel);
    EXPECT_EQ(w.View().focusWidget(),
              static_cast<QWidget*>(panel.CheckBoxFor(Check::LockModeButton)));
    QTest::keyClick(panel.FrequencyTextbox, Qt::Key_Return);
    QTest::keyClick(w.View().focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(pressed, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_EQ(w.View().focusWidget(), static_cast<QWidget*>(w.Page().ConfButton));
    EXPECT_EQ(w.Page().findChild<QWidget*>("PelliconText")->focusPolicy(), Qt::NoFocus);
}

// At the form's one size every caption shows whole and every box its widest text.
TEST(MainWindowView, NothingIsCutOff) {
    Window w;
    w.model.SetPelliconText("Zerk8QA version 2.05");
    w.panel.SetChecked(Check::Check1, true);
    w.panel.SetText(w.panel.RunAddressTextbox, "FFFFFFFF");
    w.panel.SetText(w.panel.HexFileCHKSUM, "-2147483648");
    w.panel.SetText(w.panel.FrequencyTextbox, "265.4207");
    w.View().resize(w.View().minimumSize());
    for (bool panelShown : {false, true}) {
        w.model.ShowConfigurationPage(panelShown);
        QWidget* page = w.View().findChild<QStackedWidget*>()->currentWidget();
        QCoreApplication::processEvents();
        for (const QWidget* c : page->findChildren<QWidget*>()) {
            QSize needed;
            if (auto* edit = qobject_cast<const QLineEdit*>(c)) {
                needed = {edit->fontMetrics().horizontalAdvance(edit->text()) + 8,
                          edit->fontMetrics().height()};
            } else if (qobject_cast<const QAbstractButton*>(c) || qobject_cast<const QLabel*>(c) ||
                       qobject_cast<const QGroupBox*>(c)) {
                needed = c->minimumSizeHint();
            }
            if (!c->isVisibleTo(page) || needed.isEmpty()) continue;
            EXPECT_EQ(c->size().expandedTo(needed), c->size()) << c->objectName().toStdString();
        }
    }
}

// CR CR LF and lone CRs are line breaks too: the reset checklist keeps its blank lines.
TEST(QtHost, MessageBoxShowsEveryLineBreak) {
    TestApplication();
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->text().split('\n');
        box->close();
    });
    QtHost(0, nullptr).MessageBox(ResetErrorText(), "Warning");
    ASSERT_EQ(shown.size(), 11);
    EXPECT_EQ(shown.mid(0, 4),
              (QStringList{"Error: could not reset the device", "", "Please ensure that...", ""}));
}

// A box has the window's font and room for its title, which its text alone may not give it.
TEST(QtHost, MessageBoxInTheWindowsFontShowsItsWholeTitle) {
    TestApplication();
    QFont font;
    int width = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        font = box->font();
        width = box->width();
        box->close();
    });
    QtHost(0, nullptr).MessageBox("Hex File too big", "Warning Hex File");
    EXPECT_EQ(font.family(), FormFont().family());
    QFont title = QApplication::font();
    title.setBold(true);
    EXPECT_GE(width, QFontMetrics(title).horizontalAdvance("Warning Hex File") + 100);
}

// A file dialog opens where the file chosen last was (the data file's where the hex file
// was) and offers every file after the file type.
TEST(QtHost, FileDialogOpensInTheFolderChosenLastAndOffersAllFiles) {
    TestApplication();
    const testbed::TempDir dir;
    const std::string hex = dir.Write("boards/app.HEX", ":00000001FF\n");
    QtHost host(0, nullptr);
    QStringList folders, filters;
    const auto choose = [&](const std::string& file) {
        QTimer::singleShot(0, [&, file] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            folders.append(dialog->directory().absolutePath());
            filters = dialog->nameFilters();
            dialog->selectFile(ToQString(file));
            // Typed, too: selectFile leaves the name field alone once it has the focus.
            if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) {
                name->setText(ToQString(file));
            }
            QMetaObject::invokeMethod(dialog, "accept");
        });
    };
    choose(hex);
    EXPECT_EQ(host.OpenFileDialog(kHexFileFilter), hex);
    choose(dir.Write("boards/data.txt", "0,11,22,33,44\n"));
    host.OpenFileDialog(kDataFileFilter);
    ASSERT_EQ(folders.size(), 2);
    EXPECT_EQ(folders[1], ToQString(dir.Path("boards")));
    EXPECT_EQ(filters, (QStringList{"txt Files (*.txt *.TXT)", "All files (*)"}));
}

// The answer comes as an event while the program waits; only Yes lets serial safe mode through.
TEST(QtHost, SerialSafeWarningAnswersOnceAndOnlyYesMeansYes) {
    TestApplication();
    const auto click = [](const char* name) {
        return [name](QWidget* w) { w->findChild<QPushButton*>(name)->click(); };
    };
    const std::pair<std::function<void(QWidget*)>, bool> closings[] = {
        {click("WarningYesButton"), true},
        {click("WarningNoButton"), false},
        {[](QWidget* w) { w->close(); }, false},
        {[](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }, false},
        {[](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }, false}};
    for (const auto& [closing, expected] : closings) {
        QtHost host(0, nullptr);
        std::vector<bool> answers;
        host.ShowSerialSafeWarning([&](bool yes) { answers.push_back(yes); });
        QWidget* warning = TopLevelTitled(QStringLiteral("Form1"));
        ASSERT_NE(warning, nullptr);
        QTimer::singleShot(0, warning, [&, warning] { closing(warning); });
        QElapsedTimer waited;
        waited.start();
        host.ProcessEventsUntil([&] { return !answers.empty() || waited.hasExpired(2000); });
        EXPECT_EQ(answers, std::vector<bool>{expected});
        EXPECT_EQ(TopLevelTitled(QStringLiteral("Form1")), nullptr);
    }
}

// The window's host and the headless one: the pause at the end of a command-line run waits.
TEST(Hosts, PauseWaitsTheTimeAsked) {
    TestApplication();
    QtHost window(0, nullptr);
    std::ostringstream out, err;
    app::ConsoleHost console({}, out, err);
    for (Host* host : {static_cast<Host*>(&window), static_cast<Host*>(&console)}) {
        QElapsedTimer waited;
        waited.start();
        host->Pause(0.2f);
        EXPECT_GE(waited.elapsed(), 190);
    }
}

}  // namespace
}  // namespace tovrel
