#include "ui/run_with_window.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <iostream>

#include "adapters/port_factory.h"
#include "adapters/run_context.h"
#include "core/user_texts.h"
#include "link/port_names.h"
#include "ui/look.h"
#include "ui/main_window_view.h"
#include "ui/qt_host.h"
#include "workflow/tovrel_form.h"

namespace tovrel {

namespace {

constexpr int kStopWatchMs = 100;

FormHandlers HandlersOf(TovrelForm& form, QtHost& host) {
    FormHandlers handlers;
    handlers.ConfButton_Click = [&form] { form.ConfButton_Click(); };
    handlers.ResetButton_Click = [&form] { form.ResetButton_Click(); };
    handlers.DownloadButton_Click = [&form] { form.DownloadButton_Click(); };
    handlers.RunButton_Click = [&form] { form.RunButton_Click(); };
    handlers.OKButton_Click = [&form] { form.OKButton_Click(); };
    handlers.CancelButton_Click = [&form] { form.CancelButton_Click(); };
    // Closing saves the settings and ends the program, dialogs still open or not.
    handlers.Form_QueryUnload = [&form] {
        form.Form_QueryUnload();
        QCoreApplication::quit();
    };
    handlers.CloseDuringCommand = [&form, &host] {
        host.StopForClose();
        form.CloseDuringCommand();
    };
    return handlers;
}

// A stop signal to the window does what its close box does; the signal is looked for every
// tenth of a second, outside a command and within one alike.
void CloseOnStopSignal(QWidget& window, const std::function<int()>& stopSignal) {
    if (!stopSignal) return;
    auto* watch = new QTimer(&window);
    QObject::connect(watch, &QTimer::timeout, &window, [&window, stopSignal] {
        if (stopSignal() != 0) window.close();
    });
    watch->start(kStopWatchMs);
}

// A command-line run never shows the window, so its log goes to standard output as well,
// line by line, for the script that started it.
void EchoStatus(MainWindowModel& model) {
    model.onStatusAppended = [lastWasCarriageReturn = false](const std::string& text) mutable {
        std::fputs(UnixLineBreaks(text, lastWasCarriageReturn).c_str(), stdout);
        std::fflush(stdout);
    };
}

}  // namespace

int RunWithWindow(int argc, char** argv, const ParsedCommandLine& line,
                  std::function<int()> stopSignal) {
    QtHost host(line.classicWords);
    host.SetStopSource(stopSignal);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ProgramIcon());
    TovrelForm* named = nullptr;  // the form, once made, names the port for the trace
    std::string traceError;
    const std::unique_ptr<SerialPort> port = MakeSerialPort(
        line.options.traceFile, [&named] { return ComportName(named->settings().Comport); },
        traceError);
    if (!port) {
        std::cerr << kCommandPrefix << Tr(host, kCannotCreateTraceError, line.options.traceFile)
                  << ": " << traceError << '\n';
        return kExitTraceNotCreated;
    }
    // The system's settings store: Qt's settings file on Linux, the registry on Windows.
    const std::unique_ptr<SettingsStore> store = MakeSettingsStore();
    const std::unique_ptr<PortFinder> finder = MakePortFinder();
    TovrelForm form(host, *port, *store);
    named = &form;
    form.SetPortFinder(finder.get());
    form.SetLineOptions(line.options.before, line.options.after);
    MainWindowView window(form.mainWindow(), form.panel(), HandlersOf(form, host));
    if (host.CommandLineWords().empty()) {
        host.SetWindow(&window);
        CloseOnStopSignal(window, stopSignal);
    } else {
        EchoStatus(form.mainWindow());  // and the window never shows
    }

    // The form loads before the window first shows; a command-line run ends in there.
    form.Form_Load();
    if (form.Unloaded()) return form.ExitStatus();
    // Placed by the program rather than the window manager, so that a warning asked for
    // during loading knows where to centre itself.
    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    window.show();
    host.WindowShown();
    return QApplication::exec();
}

}  // namespace tovrel
