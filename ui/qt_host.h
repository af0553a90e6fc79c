#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "adapters/qt_translator.h"
#include "core/host.h"

class QWidget;

class QDialog;

namespace tovrel {

// The host of the interactive program: Qt dialogs and the Qt event loop.
class QtHost : public Host {
  public:
    // The words of a command-line run (without the long options), empty for an interactive
    // start.
    explicit QtHost(std::vector<std::string> words);
    // argv[1..argc-1] are the command-line words.
    QtHost(int argc, char** argv);

    // The main window, before it first shows. Message boxes and file dialogs belong to it
    // while it shows; a serial-safe warning asked for before that waits for it.
    void SetWindow(QWidget* window) { m_window = window; }
    // The main window has just been shown: a waiting warning comes up above it.
    void WindowShown();

    using Host::MessageBox;
    void MessageBox(const std::string& text, const std::string& title,
                    const std::string& details) override;
    std::string OpenFileDialog(const std::string& filter) override;
    void ShowSerialSafeWarning(std::function<void(bool yes)> answer) override;
    void ProcessEventsUntil(const std::function<bool()>& done) override;
    void Pause(float seconds) override;
    std::vector<std::string> CommandLineWords() const override;
    std::string ProgramFolder() const override;
    std::string Translate(const char* text) const override { return m_translator.Translate(text); }
    int StopSignal() const override;

    // Where the program learns that a signal asked it to stop: the waits for a message box, a
    // file dialog, a pause or the serial-safe answer then end at once.
    void SetStopSource(std::function<int()> stopSignal) { m_stopSignal = std::move(stopSignal); }
    // The window was closed while a command runs: the command stops as at a signal. From now
    // on no dialog opens: a message goes to standard error, a file dialog counts as
    // cancelled, the serial-safe question as No.
    void StopForClose() { m_closed = true; }

  private:
    QWidget* ShownWindow() const;
    // Closes the dialog, as if cancelled, once a stop has come.
    void CloseOnStop(QDialog& dialog) const;

    QtTranslator m_translator;
    std::vector<std::string> m_words;
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_warning;
    std::function<int()> m_stopSignal;
    bool m_closed = false;
};

// "Description (*.Ext)|*.ext|..." as a Qt name filter: the description without its pattern
// list, then every pattern in lower, upper and the given case, so that a file system that
// tells cases apart still offers "x.HEX" and "x.hex" alike.
QString QtNameFilter(const std::string& filter);

}  // namespace tovrel
