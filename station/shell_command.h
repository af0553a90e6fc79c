#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace tovrel {

// How a command run through /bin/sh -c ended, and what it wrote.
struct CommandOutcome {
    bool started = false;
    std::string startProblem;  // why it could not be started
    int exitStatus = -1;       // when it exited
    int signal = 0;            // when a signal ended it
    bool timedOut = false;     // stopped (SIGKILL to its process group) after the time-out
    bool tooMuch = false;      // standard output beyond the limit was dropped
    std::string out, err;

    bool Succeeded() const {
        return started && !timedOut && !tooMuch && signal == 0 && exitStatus == 0;
    }
};

inline constexpr std::size_t kCommandOutputLimit = 1 << 20;

// Runs command through /bin/sh -c with the program's environment plus (or in place of) the
// given variables, standard input from /dev/null, and waits for it at most timeout. The
// command runs in a process group of its own, so a time-out stops whatever it started, and a
// Ctrl-C meant for the bench does not reach it. Safe to call from several threads at once.
CommandOutcome RunShellCommand(const std::string& command,
                               const std::vector<std::pair<std::string, std::string>>& variables,
                               std::chrono::milliseconds timeout);

}  // namespace tovrel
