#include "station/shell_command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace tovrel {
namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kShell = "/bin/sh";

// The environment with the variables set: each replaces one of the same name.
std::vector<std::string> Environment(
    const std::vector<std::pair<std::string, std::string>>& variables) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& [variable, value] : variables) replaced = replaced || variable == name;
        if (!replaced) entries.push_back(text);
    }
    for (const auto& [variable, value] : variables) entries.push_back(variable + "=" + value);
    return entries;
}

// The pipe's ends: the parent's closes on exec, so a command started by another port's
// thread at the same moment never holds it open.
bool MakePipe(int ends[2]) { return pipe2(ends, O_CLOEXEC) == 0; }

// Reads what the two pipes bring until both are closed or the deadline passes.
void Collect(int outFd, int errFd, Clock::time_point deadline, CommandOutcome& outcome) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&outcome.out, &outcome.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            outcome.timedOut = true;
            return;
        }
        const int ready = poll(fds, 2, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                fds[i].fd = -1;
                continue;
            }
            // Beyond the limit the bytes are read and dropped, so the command is not blocked.
            if (sinks[i]->size() + static_cast<std::size_t>(n) > kCommandOutputLimit) {
                outcome.tooMuch = outcome.tooMuch || i == 0;
                continue;
            }
            sinks[i]->append(buffer, static_cast<std::size_t>(n));
        }
    }
}

// posix_spawn with the command's ends of the pipes as its output; the child's pid or -1.
pid_t Spawn(const std::string& command, const std::vector<std::string>& environment, int out,
            int err, std::string& problem) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group; the signals the bench ignores or blocks are the command's again.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> argv = {const_cast<char*>(kShell), const_cast<char*>("-c"),
                               const_cast<char*>(command.c_str()), nullptr};
    std::vector<char*> envp;
    for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, kShell, &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        problem = std::strerror(error);
        return -1;
    }
    return pid;
}

}  // namespace

CommandOutcome RunShellCommand(const std::string& command,
                               const std::vector<std::pair<std::string, std::string>>& variables,
                               std::chrono::milliseconds timeout) {
    CommandOutcome outcome;
    int out[2], err[2];
    if (!MakePipe(out)) {
        outcome.startProblem = std::strerror(errno);
        return outcome;
    }
    if (!MakePipe(err)) {
        outcome.startProblem = std::strerror(errno);
        close(out[0]);
        close(out[1]);
        return outcome;
    }
    const pid_t pid = Spawn(command, Environment(variables), out[1], err[1], outcome.startProblem);
    close(out[1]);
    close(err[1]);
    if (pid > 0) {
        outcome.started = true;
        Collect(out[0], err[0], Clock::now() + timeout, outcome);
        if (outcome.timedOut) kill(-pid, SIGKILL);
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (WIFEXITED(status)) outcome.exitStatus = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
    }
    close(out[0]);
    close(err[0]);
    return outcome;
}

}  // namespace tovrel
