#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "adapters/registry_settings_store.h"
#include "adapters/run_context.h"

namespace tovrel {
namespace {

constexpr DWORD kLongPath = 32768;

class PlainPortThread : public PortThread {
  public:
    explicit PlainPortThread(std::function<void()> job) : m_thread(std::move(job)) {}
    void Join() override {
        if (m_thread.joinable()) m_thread.join();
    }

  private:
    std::thread m_thread;
};

// Paths reach the rest of the program as UTF-8.
std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
    return text;
}

}  // namespace

// Windows serial ports and the registry need no application object.
struct RunContext::Platform {};

// The progress display on a console draws with the terminal's escape sequences, which the
// console of Windows 10 and later understands once asked.
RunContext::RunContext(int& argc, char** argv) {
    (void)argc;
    (void)argv;
    const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(errors, &mode) != 0) {
        SetConsoleMode(errors, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}

RunContext::~RunContext() = default;

std::string ProgramFolder() {
    std::wstring path(kLongPath, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), kLongPath);
    path.resize(length);
    return Narrow(std::filesystem::path(path).parent_path().wstring());
}

std::vector<std::string> CommandLineWords(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> words;
    for (int i = 1; i < count; ++i) words.push_back(Narrow(wide[i]));
    LocalFree(wide);
    return words;
}

std::unique_ptr<PortThread> StartPortThread(std::function<void()> job) {
    return std::make_unique<PlainPortThread>(std::move(job));
}

std::unique_ptr<SettingsStore> MakeSettingsStore() {
    return std::make_unique<RegistrySettingsStore>();
}

// The user's roaming application data, where a program keeps its files beside the settings
// in the registry: %APPDATA%\Tovrel.
std::string UserFilesFolder() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData == nullptr || *appData == L'\0') return {};
    return Narrow((std::filesystem::path(appData) / kSettingsApplication).wstring());
}

std::string ProgramTranslator::Translate(const char* text) const { return text; }

}  // namespace tovrel
