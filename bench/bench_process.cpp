#include "bench/bench_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace tovrel::bench {
namespace {

constexpr int kReadEnd = 0;
constexpr int kWriteEnd = 1;

double TimevalSeconds(const timeval& value) {
    return static_cast<double>(value.tv_sec) + static_cast<double>(value.tv_usec) / 1e6;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

// The bench's own environment with the changes applied.
std::vector<std::string> Environment(const std::vector<std::string>& changes) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        bool changed = false;
        for (const std::string& change : changes) changed |= NameOf(change) == NameOf(*entry);
        if (!changed) result.emplace_back(*entry);
    }
    for (const std::string& change : changes) {
        if (change.find('=') != std::string::npos) result.push_back(change);
    }
    return result;
}

// Reads up to the first line end: the simulator prints its terminal path and nothing else.
std::string ReadFirstLine(int fd) {
    std::string line;
    char c = 0;
    while (true) {
        const ssize_t got = read(fd, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0 || c == '\n') break;
        line += c;
    }
    return line;
}

int WaitExitStatus(pid_t pid, rusage* usage) {
    int status = 0;
    while (wait4(pid, &status, 0, usage) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

double MonotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

SimRun::SimRun(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& errorFile) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[kWriteEnd], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> argPointers = Pointers(argv);
    if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argPointers.data(), environ) != 0) {
        m_pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[kWriteEnd]);
    if (m_pid > 0) m_path = ReadFirstLine(pipeFds[kReadEnd]);
    close(pipeFds[kReadEnd]);
}

SimRun::~SimRun() { Stop(); }

int SimRun::Stop() {
    if (m_pid <= 0) return -1;
    kill(m_pid, SIGTERM);
    const int status = WaitExitStatus(m_pid, nullptr);
    m_pid = -1;
    return status;
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::vector<std::string>& environmentChanges,
                      const std::string& outFile, const std::string& errorFile) {
    ProgramRun run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> env = Environment(environmentChanges);
    std::vector<char*> argPointers = Pointers(argv);
    std::vector<char*> envPointers = Pointers(env);
    pid_t pid = -1;
    run.startSeconds = MonotonicSeconds();
    const int spawnError = posix_spawn(&pid, program.c_str(), &actions, nullptr, argPointers.data(),
                                       envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawnError != 0) return run;
    run.started = true;
    rusage usage{};
    run.exitStatus = WaitExitStatus(pid, &usage);
    run.endSeconds = MonotonicSeconds();
    run.cpuSeconds = TimevalSeconds(usage.ru_utime) + TimevalSeconds(usage.ru_stime);
    return run;
}

}  // namespace tovrel::bench
