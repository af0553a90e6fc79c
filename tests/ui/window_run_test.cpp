// The window in a process of its own against the simulated device, with an operator who
// presses Download and answers the file dialog: what a stop signal and the close box do to a
// command under way.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "app/stop_signals.h"
#include "testbed/processes.h"
#include "testbed/sim_files.h"
#include "testbed/temp_dir.h"
#include "ui/main_page.h"
#include "ui/main_window_view.h"
#include "ui/run_with_window.h"

namespace tovrel {
namespace {

using namespace testbed;

constexpr const char* kFolderVariable = "TOVREL_TEST_WINDOW_RUN";
constexpr int kGiveUpMs = 20000;
constexpr int kGaveUp = 99;

// What the operator does once Download is pressed and the file dialog is up.
enum class Act { SignalAfterSecondPage, CloseWhileTheDialogWaits };

// The window as the program starts it, stop signals included; the status it ends with, and
// on standard error its log and how many file dialogs it opened. The
// operator's timer must not be the one that presses Download: a timer does not fire again
// while its own call still runs, and the command runs inside the press.
int RunTheWindow(Act act, const std::string& folder) {
    static bool pressed = false;
    static int dialogs = 0;
    static const Act action = act;
    static const std::string trace = folder + "/trace";
    qAddPreRoutine([] {
        // A window that never closes fails the test instead of hanging it, naming what stayed.
        QTimer::singleShot(kGiveUpMs, [] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (!top->isVisible()) continue;
                std::cerr << "still open: " << top->metaObject()->className() << " \""
                          << top->windowTitle().toStdString() << "\"\n";
            }
            std::_Exit(kGaveUp);
        });
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* view = dynamic_cast<MainWindowView*>(top)) {
                    std::cerr << view->mainPage().Status->toPlainText().toStdString() << "\n";
                }
            }
        });
        auto* operatorTimer = new QTimer(qApp);
        QObject::connect(operatorTimer, &QTimer::timeout, [] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* view = dynamic_cast<MainWindowView*>(top);
                if (view && view->isVisible() && !pressed) {
                    pressed = true;
                    QTimer::singleShot(0, view->mainPage().DownloadButton, &QPushButton::click);
                }
                auto* dialog = qobject_cast<QFileDialog*>(top);
                if (!dialog || !dialog->isVisible()) continue;
                // Counted once; answered again at every tick while it stays up.
                if (!dialog->property("seen").toBool()) {
                    dialog->setProperty("seen", true);
                    ++dialogs;
                }
                if (dialogs > 1 || action == Act::SignalAfterSecondPage) {
                    const QString file = dialogs == 1
                                             ? QStringLiteral(TOVREL_EXAMPLES "/blinky.hex")
                                             : QStringLiteral(TOVREL_EXAMPLES "/dataflash.txt");
                    dialog->selectFile(file);
                    // selectFile leaves the name field alone once it has the focus, and the
                    // dialog takes what that field says: typed in as an operator would.
                    if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) {
                        name->setText(file);
                    }
                    static_cast<QDialog*>(dialog)->accept();
                    continue;
                }
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    if (dynamic_cast<MainWindowView*>(w)) w->close();
                }
            }
        });
        operatorTimer->start(20);
    });
    if (act == Act::SignalAfterSecondPage) {
        std::thread([] {
            for (;;) {
                const std::vector<TraceEntry> received = ReadTrace(trace);
                if (std::count_if(received.begin(), received.end(), [](const TraceEntry& e) {
                        return e.received && e.kind == "Q";
                    }) >= 2) {
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            kill(getpid(), SIGTERM);
        }).detach();
    }
    app::CatchWindowStopSignals();
    char name[] = "tovrel";
    char* argv[] = {name, nullptr};
    const int status =
        RunWithWindow(1, argv, ParsedCommandLine(), [] { return app::StopSignal(); });
    std::cerr << "file dialogs " << dialogs << "\n";
    return app::StopSignal() != 0 ? app::ExitStatusForSignal(app::StopSignal()) : status;
}

// The device and the settings live in a folder the test makes; the process that runs the
// window, started again from the test, finds them through its environment.
class WindowRun : public ::testing::Test {
  protected:
    WindowRun() {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        if (const char* folder = getenv(kFolderVariable)) {
            m_folder = folder;  // the window's own process
            return;
        }
        m_folder = m_dir.Path();
        m_sim = std::make_unique<SimProcess>(
            ProgramFolder() + "/pellicon-sim",
            std::vector<std::string>{"--trace", m_dir.Path("trace"), "--delay-reply=Q:2:300"});
        std::filesystem::create_directories(m_dir.Path("Tovrel"));
        m_dir.Write("Tovrel/Tovrel.conf", "[8051]\nComport=1\nDownloadMode=0\n");
        for (const auto& [name, value] : {std::pair{kFolderVariable, m_folder},
                                          {"XDG_CONFIG_HOME", m_folder},
                                          {"TOVREL_COM1", m_sim->Path()}}) {
            setenv(name, value.c_str(), 1);
        }
    }
    ~WindowRun() override {
        if (!m_sim) return;
        for (const char* name : {kFolderVariable, "XDG_CONFIG_HOME", "TOVREL_COM1"}) unsetenv(name);
    }
    // The kinds the device received, in order.
    std::string Received() {
        m_sim->Stop();
        std::string kinds;
        for (const TraceEntry& e : ReadTrace(m_dir.Path("trace")))
            if (e.received) kinds += (e.kind == "ID" ? "R" : e.kind);
        return kinds;
    }
    std::string Saved() const { return m_dir.Read("Tovrel/Tovrel.conf"); }

    TempDir m_dir;
    std::string m_folder;
    std::unique_ptr<SimProcess> m_sim;
};

// The exchange under way ends, the device goes back to 9600 baud, the settings are saved.
TEST_F(WindowRun, StopSignalDuringADownloadClosesAsTheCloseBoxDoes) {
    EXPECT_EXIT(std::exit(RunTheWindow(Act::SignalAfterSecondPage, m_folder)),
                ::testing::ExitedWithCode(128 + SIGTERM), "file dialogs 2\n");
    if (!m_sim) return;
    EXPECT_EQ(Received(), "RRBAQQB");
    EXPECT_NE(Saved().find("EraseMode=True"), std::string::npos) << Saved();
}

// Closed while the file dialog waits: the dialog counts as cancelled, no second one opens and
// nothing is erased; the log says the program ends.
TEST_F(WindowRun, CloseBoxOpensNoFurtherDialog) {
    EXPECT_EXIT(std::exit(RunTheWindow(Act::CloseWhileTheDialogWaits, m_folder)),
                ::testing::ExitedWithCode(0),
                "\nWindow closed: Tovrel ends when the current step is done\n"
                "Baudrate = 9600[.]{3} OK\n\nfile dialogs 1\n");
    if (!m_sim) return;
    EXPECT_EQ(Received(), "RRBB");
    EXPECT_NE(Saved().find("DownloadMode=0"), std::string::npos) << Saved();
}

}  // namespace
}  // namespace tovrel
