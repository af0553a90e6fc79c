#include "tests/e2e/tovrel_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>

namespace tovrel::testing {
namespace {

constexpr int kRunTimeoutMs = 60000;
constexpr const char* kPassedThrough[] = {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"};

// Reads both pipes to their end, whichever has something, so neither can fill up.
void Drain(int outFd, int errFd, ProgramRun& run, pid_t pid) {
    std::array<pollfd, 2> fds{{{outFd, POLLIN, 0}, {errFd, POLLIN, 0}}};
    std::array<std::string*, 2> sinks{&run.out, &run.err};
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kRunTimeoutMs);
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 ||
            poll(fds.data(), fds.size(), static_cast<int>(left.count())) <= 0) {
            kill(pid, SIGKILL);
            return;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

}  // namespace

ProgramRun RunTovrel(const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& env) {
    std::vector<std::string> words{TOVREL_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<std::string> settings;
    for (const auto& [name, value] : env) settings.push_back(name + "=" + value);
    for (const char* name : kPassedThrough) {
        if (const char* value = std::getenv(name))
            settings.push_back(std::string(name) + "=" + value);
    }
    std::vector<char*> argv, envp;
    for (std::string& word : words) argv.push_back(word.data());
    for (std::string& setting : settings) envp.push_back(setting.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    ProgramRun run;
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (failed == 0) {
        Drain(out[0], err[0], run, pid);
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    close(out[0]);
    close(err[0]);
    return run;
}

}  // namespace tovrel::testing
