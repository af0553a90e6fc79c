#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <functional>

#include "config/configuration_panel.h"
#include "workflow/main_window_model.h"

class QPushButton;
class QStackedWidget;

namespace tovrel {

class ConfigurationPage;
class MainPage;

// What the window's buttons and its close box run: the form's handlers.
struct FormHandlers {
    std::function<void()> ConfButton_Click;
    std::function<void()> ResetButton_Click;
    std::function<void()> DownloadButton_Click;
    std::function<void()> RunButton_Click;
    std::function<void()> OKButton_Click;
    std::function<void()> CancelButton_Click;
    std::function<void()> Form_QueryUnload;
    // The close box while a command runs: the command is to stop at its next safe point.
    std::function<void()> CloseDuringCommand;
};

// The form "Tovrel": the main page and the configuration panel taking turns in one window.
// It draws the two models whenever they change and hands every user action to them.
class MainWindowView : public QMainWindow {
  public:
    MainWindowView(MainWindowModel& model, ConfigurationPanel& panel, FormHandlers handlers,
                   QWidget* parent = nullptr);
    ~MainWindowView() override;

    MainPage& mainPage() const { return *m_mainPage; }
    ConfigurationPage& configurationPage() const { return *m_configurationPage; }
    bool CommandRunning() const { return m_commandDepth > 0; }

  protected:
    // Closing saves the settings and ends the program; during a command it asks the command
    // to stop and waits for its end, so the sequence never runs on behind a window that is
    // gone.
    void closeEvent(QCloseEvent* event) override;

  private:
    void ConnectButtons();
    void Forward(QPushButton* button, const std::function<void()>& handler);
    void Render();
    static void FocusFirstControl(QWidget& page);
    void KeepWindowAlive();

    MainWindowModel& m_model;
    ConfigurationPanel& m_panel;
    FormHandlers m_handlers;
    QStackedWidget* m_pages;
    MainPage* m_mainPage;
    ConfigurationPage* m_configurationPage;
    int m_commandDepth = 0;
    bool m_closeRequested = false;
    bool m_rendering = false;
    bool m_renderAgain = false;
    QElapsedTimer m_sinceEvents;
};

}  // namespace tovrel
