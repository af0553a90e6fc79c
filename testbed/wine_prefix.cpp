#include "testbed/wine_prefix.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace tovrel::testbed {
namespace {

namespace fs = std::filesystem;

constexpr int kStopMs = 10000;

std::string WithoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

}  // namespace

std::string FoundOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    for (std::size_t at = 0, end; at <= folders.size(); at = end + 1) {
        end = std::min(folders.find(':', at), folders.size());
        const fs::path candidate = fs::path(folders.substr(at, end - at)) / name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
}

WinePrefix::WinePrefix()
    : m_prefix(m_dir.Path("prefix")),
      m_wine(FoundOnPath("wine")),
      m_server(FoundOnPath("wineserver")) {
    if (m_wine.empty() || m_server.empty()) {
        m_error = "wine or wineserver is not on PATH";
        return;
    }
    fs::create_directories(m_prefix);
    const Environment env = Prepared(OwnEnvironment());
    std::vector<std::string> settings;
    for (const auto& [name, value] : env) settings.push_back(name + "=" + value);
    std::vector<char*> envp, argv;
    for (std::string& setting : settings) envp.push_back(setting.data());
    envp.push_back(nullptr);
    std::string words[] = {m_server, "-f", "-p"};
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string log = m_dir.Path("wineserver.log");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    if (posix_spawn(&m_serverPid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        m_serverPid = -1;
        m_error = "wineserver did not start";
    }
    posix_spawn_file_actions_destroy(&actions);
    if (m_serverPid < 0) return;
    const ProgramRun boot =
        RunProgram({m_wine, "wineboot", "--init"}, env,
                   {.outFile = m_dir.Path("wineboot.out"), .errFile = m_dir.Path("wineboot.err")});
    if (boot.status != 0) {
        m_error = "wineboot --init ended with status " + std::to_string(boot.status) + ": " +
                  m_dir.Read("wineboot.err");
    }
}

WinePrefix::~WinePrefix() {
    if (m_serverPid < 0) return;
    RunProgram({m_server, "-k"}, Prepared(OwnEnvironment()),
               {.outFile = "/dev/null", .errFile = "/dev/null", .killAfterMs = kStopMs});
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopMs);
    int status = 0;
    while (waitpid(m_serverPid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(m_serverPid, SIGKILL);
            waitpid(m_serverPid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void WinePrefix::Link(int com, const std::string& device) {
    std::erase_if(m_links, [com](const auto& link) { return link.first == com; });
    m_links.emplace_back(com, device);
}

std::vector<std::string> WinePrefix::Command(const std::string& exe,
                                             const std::vector<std::string>& arguments) const {
    std::vector<std::string> words{m_wine, exe};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return words;
}

Environment WinePrefix::Prepared(Environment env) const {
    std::erase_if(env, [](const auto& entry) { return entry.first.starts_with("TOVREL_COM"); });
    env["WINEPREFIX"] = m_prefix;
    env["WINEDEBUG"] = "-all";
    return env;
}

ProgramRun WinePrefix::Run(const std::vector<std::string>& words, const Environment& env,
                           RunOptions options) const {
    for (const auto& [com, device] : m_links) {
        const fs::path link = fs::path(m_prefix) / "dosdevices" / ("com" + std::to_string(com));
        std::error_code ignored;
        fs::remove(link, ignored);
        fs::create_symlink(device, link, ignored);
    }
    ProgramRun run = RunProgram(words, Prepared(env), options);
    run.out = WithoutCarriageReturns(run.out);
    run.err = WithoutCarriageReturns(run.err);
    return run;
}

}  // namespace tovrel::testbed
