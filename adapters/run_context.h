#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/settings.h"
#include "core/translator.h"

namespace tovrel {

// What a command-line run (headless, bench, read-back, port list) takes from the system it
// runs on, one implementation per system chosen by the build. Over Qt on Linux: a serial port
// there is a Qt device that waits through the event dispatcher of its thread, and the settings
// live in QSettings, so the run needs Qt's application object. Over plain Win32 on Windows,
// which needs nothing of the kind.
class RunContext {
  public:
    // For the whole run, made before any port or store.
    RunContext(int& argc, char** argv);
    ~RunContext();
    RunContext(const RunContext&) = delete;
    RunContext& operator=(const RunContext&) = delete;

  private:
    struct Platform;
    std::unique_ptr<Platform> m_platform;
};

// The words of the command line after the program's name, in UTF-8 like every text of the
// program: on Windows from the system's wide command line, as the narrow one loses whatever
// the code page cannot spell.
std::vector<std::string> CommandLineWords(int argc, char** argv);

// The folder the program was started from, while a RunContext (or the window's application)
// lives.
std::string ProgramFolder();

// A job on a thread of its own that may own serial ports (a Qt thread where the ports are Qt
// devices); Join waits for its end.
class PortThread {
  public:
    virtual ~PortThread() = default;
    virtual void Join() = 0;
};
std::unique_ptr<PortThread> StartPortThread(std::function<void()> job);

// The user's settings store of this system.
std::unique_ptr<SettingsStore> MakeSettingsStore();
// The folder of the user's own files beside the settings (the serial-number file); empty
// when the user has none.
std::string UserFilesFolder();

// The program's own texts in the user's language: the Qt application's tables where there
// is Qt, else the text as it is.
class ProgramTranslator : public Translator {
  public:
    std::string Translate(const char* text) const override;
};

}  // namespace tovrel
