#include <QCoreApplication>
#include <QThread>

#include "adapters/qt_settings_store.h"
#include "adapters/qt_translator.h"
#include "adapters/run_context.h"

namespace tovrel {
namespace {

class QtPortThread : public PortThread {
  public:
    explicit QtPortThread(std::function<void()> job) : m_thread(QThread::create(std::move(job))) {
        m_thread->start();
    }
    void Join() override { m_thread->wait(); }

  private:
    std::unique_ptr<QThread> m_thread;
};

}  // namespace

struct RunContext::Platform {
    Platform(int& argc, char** argv) : application(argc, argv) {}
    QCoreApplication application;
};

RunContext::RunContext(int& argc, char** argv)
    : m_platform(std::make_unique<Platform>(argc, argv)) {}

RunContext::~RunContext() = default;

std::string ProgramFolder() { return QCoreApplication::applicationDirPath().toStdString(); }

std::vector<std::string> CommandLineWords(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::unique_ptr<PortThread> StartPortThread(std::function<void()> job) {
    return std::make_unique<QtPortThread>(std::move(job));
}

std::unique_ptr<SettingsStore> MakeSettingsStore() { return std::make_unique<QtSettingsStore>(); }

std::string UserFilesFolder() { return QtSettingsStore().Folder(kSettingsApplication); }

std::string ProgramTranslator::Translate(const char* text) const {
    return QtTranslator().Translate(text);
}

}  // namespace tovrel
