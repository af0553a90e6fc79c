#include "ui/dialog_wait.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

namespace tovrel {

namespace {

// Takes the user's input away from one window while a dialog waits.
class InputBlock : public QObject {
  public:
    InputBlock(QWidget& window, QDialog& dialog) : m_window(&window), m_dialog(&dialog) {
        qApp->installEventFilter(this);
    }
    ~InputBlock() override { qApp->removeEventFilter(this); }
    InputBlock(const InputBlock&) = delete;
    InputBlock& operator=(const InputBlock&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !m_window || widget->window() != m_window) return false;
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::Shortcut:
            case QEvent::ContextMenu:
                return true;
            case QEvent::WindowActivate:
                if (widget == m_window) {
                    QTimer::singleShot(0, m_dialog, [dialog = m_dialog] {
                        dialog->raise();
                        dialog->activateWindow();
                    });
                }
                return false;
            default:
                return false;
        }
    }

  private:
    QPointer<QWidget> m_window;
    QPointer<QDialog> m_dialog;
};

}  // namespace

int WaitForDialog(QDialog& dialog, QWidget* window) {
    if (!window) return dialog.exec();
    InputBlock block(*window, dialog);
    dialog.setWindowModality(Qt::NonModal);
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    if (dialog.isVisible()) loop.exec(QEventLoop::DialogExec);
    return dialog.result();
}

}  // namespace tovrel
