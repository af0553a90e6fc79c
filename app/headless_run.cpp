#include "app/headless_run.h"

#include <unistd.h>

#include <QCoreApplication>
#include <cstdlib>
#include <iostream>
#include <string>

#include "adapters/qt_serial_port.h"
#include "adapters/qt_settings_store.h"
#include "app/console_host.h"
#include "workflow/tovrel_form.h"

namespace tovrel::app {
namespace {

bool SerialSafeConfirmed() {
    const char* value = std::getenv(kConfirmSerialSafeVariable);
    return value != nullptr && std::string(value) == "yes";
}

}  // namespace

int RunHeadless(int argc, char** argv) {
    // The words as given, before Qt may take its own options out of argv.
    ConsoleHost::Options options;
    options.words.assign(argv + 1, argv + argc);
    // The serial port and the settings store are Qt devices and need the application object.
    QCoreApplication application(argc, argv);
    options.programFolder = QCoreApplication::applicationDirPath().toStdString();
    options.confirmSerialSafe = SerialSafeConfirmed();
    options.progressOnTerminal = isatty(STDERR_FILENO) != 0;
    ConsoleHost host(std::move(options), std::cout, std::cerr);

    QtSerialPort port;
    QtSettingsStore store;
    TovrelForm form(host, port, store);
    MainWindowModel& window = form.mainWindow();
    window.onStatusAppended = [&host](const std::string& text) { host.StatusAppended(text); };
    window.onChanged = [&host, &window] { host.ProgressChanged(window.ProgressState()); };
    form.Form_Load();
    return form.ExitStatus();
}

}  // namespace tovrel::app
