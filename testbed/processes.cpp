#include "testbed/processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace tovrel::testbed {
namespace {

constexpr int kWatchMs = 2;

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

int StatusOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

double Seconds(const timeval& value) {
    return static_cast<double>(value.tv_sec) + static_cast<double>(value.tv_usec) / 1e6;
}

// Standard output or error: into the file, or into an anonymous one read back at the end.
std::FILE* Redirect(posix_spawn_file_actions_t& actions, int fd, const std::string& file) {
    if (!file.empty()) {
        posix_spawn_file_actions_addopen(&actions, fd, file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        return nullptr;
    }
    std::FILE* captured = std::tmpfile();
    posix_spawn_file_actions_adddup2(&actions, fileno(captured), fd);
    return captured;
}

std::string ReadAndClose(std::FILE* file) {
    std::string text;
    if (file == nullptr) return text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    std::fclose(file);
    return text;
}

int Wait(pid_t pid, const RunOptions& options, rusage& usage) {
    int status = 0;
    if (!options.whileRunning && options.killAfterMs <= 0) {
        while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
        }
        return StatusOf(status);
    }
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(options.killAfterMs);
    while (wait4(pid, &status, WNOHANG, &usage) == 0) {
        if (options.whileRunning) options.whileRunning(pid);
        if (options.killAfterMs > 0 && std::chrono::steady_clock::now() > end) kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(kWatchMs));
    }
    return StatusOf(status);
}

}  // namespace

double MonotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

SimProcess::SimProcess(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& errorFile) {
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv = Pointers(words);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        m_error = "cannot make a pipe";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (!errorFile.empty()) Redirect(actions, STDERR_FILENO, errorFile);
    const int failed = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    // The terminal path is its only line on standard output.
    std::string line;
    pollfd watched{out[0], POLLIN, 0};
    char c = 0;
    while (failed == 0 && poll(&watched, 1, kStartTimeoutMs) > 0 && read(out[0], &c, 1) == 1 &&
           c != '\n') {
        line += c;
    }
    close(out[0]);
    if (failed != 0) m_pid = -1;
    if (c == '\n' && !line.empty()) {
        m_path = line;
    } else {
        m_error = program + " printed no terminal path (see its standard error)";
    }
}

bool SimProcess::Signal(int signal) const {
    return m_pid > 0 && !m_reaped && kill(m_pid, signal) == 0;
}

bool SimProcess::Reap(int flags) {
    if (m_reaped) return true;
    int status = 0;
    if (waitpid(m_pid, &status, flags) != m_pid) return false;
    m_reaped = true;
    m_status = StatusOf(status);
    return true;
}

bool SimProcess::WaitForExit(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_pid > 0 && !Reap(WNOHANG)) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kWatchMs));
    }
    return m_pid > 0;
}

int SimProcess::Stop() {
    if (m_pid <= 0 || m_reaped) return m_status;
    kill(m_pid, SIGTERM);
    if (!WaitForExit(kStopTimeoutMs)) {
        kill(m_pid, SIGKILL);
        Reap(0);
    }
    return m_status;
}

Environment OwnEnvironment(const std::vector<std::string>& names) {
    Environment env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (names.empty() || std::find(names.begin(), names.end(), name) != names.end()) {
            env[name] = text.substr(name.size() + 1);
        }
    }
    return env;
}

ProgramRun RunProgram(std::vector<std::string> words, const Environment& env,
                      const RunOptions& options) {
    std::vector<std::string> settings;
    for (const auto& [name, value] : env) settings.push_back(name + "=" + value);
    std::vector<char*> argv = Pointers(words), envp = Pointers(settings);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int input[2] = {-1, -1}, output[2] = {-1, -1};
    if (!options.input.empty() && pipe2(input, O_CLOEXEC) == 0) {
        [[maybe_unused]] const ssize_t written =
            write(input[1], options.input.data(), options.input.size());
        close(input[1]);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    std::FILE* out = nullptr;
    if (options.brokenOutput && pipe2(output, O_CLOEXEC) == 0) {
        close(output[0]);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    } else {
        out = Redirect(actions, STDOUT_FILENO, options.outFile);
    }
    std::FILE* err = Redirect(actions, STDERR_FILENO, options.errFile);
    ProgramRun run;
    pid_t pid = -1;
    run.startSeconds = MonotonicSeconds();
    run.started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    for (int fd : {input[0], output[1]}) {
        if (fd >= 0) close(fd);
    }
    if (run.started) {
        rusage usage{};
        run.status = Wait(pid, options, usage);
        run.endSeconds = MonotonicSeconds();
        run.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    }
    run.out = ReadAndClose(out);
    run.err = ReadAndClose(err);
    return run;
}

}  // namespace tovrel::testbed
