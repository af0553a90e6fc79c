#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tovrel {

// How a command run through the system's shell ended, and what it wrote.
struct CommandOutcome {
    bool started = false;
    std::string startProblem;  // why it could not be started
    int exitStatus = -1;       // when it exited
    int signal = 0;            // when a signal ended it
    bool timedOut = false;     // killed after the time-out
    bool stopped = false;      // killed at a stop
    bool tooMuch = false;      // standard output beyond the limit was dropped
    std::string out, err;

    bool Succeeded() const {
        return started && !timedOut && !stopped && !tooMuch && signal == 0 && exitStatus == 0;
    }
};

inline constexpr std::size_t kCommandOutputLimit = 1 << 20;

// Runs command through /bin/sh -c with the program's environment plus (or in place of) the
// given variables, standard input from /dev/null, and waits for it at most timeout, from its
// start to the end of its shell, or until stopped answers true. The command runs in a session
// of its own, so a Ctrl-C meant for the bench does not reach it, and a time-out or a stop kills
// whatever it started: its process group, its session, its descendants and the sessions they
// made. On Windows the shell is cmd /c, standard input NUL, and the command and all it starts
// sit in a process group and a job object of their own, which a time-out, a stop or the end of
// the shell ends whole. Safe to call from several threads at once.
CommandOutcome RunShellCommand(const std::string& command,
                               const std::vector<std::pair<std::string, std::string>>& variables,
                               std::chrono::milliseconds timeout,
                               const std::function<bool()>& stopped = {});

}  // namespace tovrel
