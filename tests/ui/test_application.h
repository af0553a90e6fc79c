#pragma once

#include <QApplication>
#include <QByteArray>
#include <QWidget>

namespace tovrel::testing {

// One application object for all widget tests; without a display the widgets draw offscreen.
inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static auto* app = new QApplication(argc, argv);  // lives until the process ends
    return *app;
}

// The top-level window with the given title, or nullptr.
inline QWidget* TopLevelTitled(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle() == title) return widget;
    }
    return nullptr;
}

}  // namespace tovrel::testing
