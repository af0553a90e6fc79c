#pragma once

#include <QWidget>
#include <cstddef>

#include "workflow/main_window_model.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace tovrel {

// The main page's widgets: title labels, the four command buttons, the progress bar, the
// identified-device box and the status log, each where the form was drawn. It only mirrors
// the main window model.
class MainPage : public QWidget {
  public:
    explicit MainPage(const MainWindowModel& model, QWidget* parent = nullptr);

    // Copies the model into the widgets. With immediate set (a command is running and the
    // event loop is not) every widget that changed is repainted at once. Before the command
    // buttons come back on, queued input is handed out while they are still off, so clicks
    // made during a command die there instead of starting another one.
    void Render(bool immediate);

    QPushButton* ConfButton;
    QPushButton* ResetButton;
    QPushButton* DownloadButton;
    QPushButton* RunButton;
    QProgressBar* ProgressBar;
    QLineEdit* PelliconText;
    QPlainTextEdit* Status;

  private:
    // Puts a new child at its place on the drawn form.
    template <class W>
    W* Place(W* widget, const char* name, const QRect& twips);
    QLabel* TitleLabel(const QString& text, double points, const char* name, const QRect& twips);
    void TitleLabels();
    QPushButton* CommandButton(const QString& caption, const char* name, const QRect& twips);
    bool RenderButtons();
    bool RenderProgress();
    bool RenderStatus();

    const MainWindowModel& m_model;
    std::size_t m_statusShown = 0;  // bytes of the model's log already in the widget
    bool m_lastWasCarriageReturn = false;
};

}  // namespace tovrel
