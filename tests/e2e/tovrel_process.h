#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace tovrel::testing {

struct ProgramRun {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// What else a run gets: text on standard input (through a pipe, at most 64 KiB), standard
// output into a pipe nobody reads, and a look at it, by process id, every 2 ms while it runs.
struct RunOptions {
    std::string input = {};
    bool brokenOutput = false;
    std::function<void(pid_t)> whileRunning = {};
};

inline std::string ReadAndClose(std::FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    std::fclose(file);
    return text;
}

// Runs the tovrel program with these arguments in an environment made of env alone (plus the
// sanitizer options of the test's own environment): no display, so no window. A program that
// has not ended after a minute is killed.
inline ProgramRun RunTovrel(std::vector<std::string> words, std::map<std::string, std::string> env,
                            const RunOptions& options = {}) {
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) env[name] = value;
    }
    words.insert(words.begin(), TOVREL_PATH);
    std::vector<std::string> settings;
    for (const auto& [name, value] : env) settings.push_back(name + "=" + value);
    std::vector<char*> argv, envp;
    for (std::string& word : words) argv.push_back(word.data());
    for (std::string& setting : settings) envp.push_back(setting.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int input[2] = {-1, -1}, output[2] = {-1, -1};
    if (!options.input.empty() && pipe2(input, O_CLOEXEC) == 0) {
        [[maybe_unused]] const ssize_t written =
            write(input[1], options.input.data(), options.input.size());
        close(input[1]);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    }
    if (options.brokenOutput && pipe2(output, O_CLOEXEC) == 0) close(output[0]);
    posix_spawn_file_actions_adddup2(&actions, options.brokenOutput ? output[1] : fileno(out),
                                     STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fileno(err), STDERR_FILENO);
    ProgramRun run;
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (options.whileRunning) options.whileRunning(pid);
            if (std::chrono::steady_clock::now() > end) kill(pid, SIGKILL);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    for (int fd : {input[0], output[1]}) {
        if (fd >= 0) close(fd);
    }
    run.out = ReadAndClose(out);
    run.err = ReadAndClose(err);
    return run;
}

}  // namespace tovrel::testing
