#include "station/shell_command.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

extern char** environ;

namespace tovrel {
namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kShell = "/bin/sh";
constexpr int kStopLookMs = 100;
constexpr std::chrono::milliseconds kEndLook{10};
// Looks at the process table for what the command started, while it still forks.
constexpr int kKillPasses = 10;

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

// Whether the command must end now: its time is up, or a stop came. Says which in outcome.
bool MustEnd(Clock::time_point deadline, const std::function<bool()>& stopped,
             CommandOutcome& outcome) {
    outcome.stopped = stopped && stopped();
    outcome.timedOut = !outcome.stopped && Clock::now() >= deadline;
    return outcome.stopped || outcome.timedOut;
}

// Reads what the two pipes bring until both are closed, the deadline passes or a stop comes.
void Collect(int outFd, int errFd, Clock::time_point deadline, const std::function<bool()>& stopped,
             CommandOutcome& outcome) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&outcome.out, &outcome.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (MustEnd(deadline, stopped, outcome)) return;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int ready =
            poll(fds, 2, static_cast<int>(std::clamp<long long>(left.count(), 0, kStopLookMs)));
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
    // Its own session, and so its own process group: a time-out or a stop can find everything
    // it started. The signals the bench ignores or blocks are the command's again.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
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

// One line of the process table: who started a process and which group and session it is in.
struct ProcessEntry {
    pid_t parent = 0, group = 0, session = 0;
};

// The living processes of the system, from /proc (zombies are dead already and skipped).
std::map<pid_t, ProcessEntry> ProcessTable() {
    std::map<pid_t, ProcessEntry> table;
    const std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
    if (!proc) return table;
    while (const dirent* entry = readdir(proc.get())) {
        const pid_t pid = static_cast<pid_t>(std::strtol(entry->d_name, nullptr, 10));
        if (pid <= 0) continue;
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string line;
        std::getline(stat, line);
        // "pid (name) state parent group session ...": the name may hold blanks and brackets.
        const std::size_t nameEnd = line.rfind(')');
        if (nameEnd == std::string::npos) continue;
        std::istringstream fields(line.substr(nameEnd + 1));
        char state = 0;
        ProcessEntry process;
        if (fields >> state >> process.parent >> process.group >> process.session && state != 'Z') {
            table[pid] = process;
        }
    }
    return table;
}

// What the command started: its session and group, its descendants, and any session or group
// a descendant made of its own. Grows with each look at the process table.
class CommandTree {
  public:
    explicit CommandTree(pid_t leader) : m_leader(leader), m_groups{leader}, m_sessions{leader} {}

    // Adds what the table shows of the tree; true when it found a process not seen before.
    bool Grow(const std::map<pid_t, ProcessEntry>& table) {
        bool grewAtAll = false;
        for (bool grew = true; grew;) {
            grew = false;
            for (const auto& [pid, process] : table) {
                const bool member = pid == m_leader || m_found.contains(process.parent) ||
                                    m_groups.contains(process.group) ||
                                    m_sessions.contains(process.session);
                if (!member || !m_found.insert(pid).second) continue;
                m_groups.insert(process.group);
                m_sessions.insert(process.session);
                grew = grewAtAll = true;
            }
        }
        return grewAtAll;
    }
    const std::set<pid_t>& Found() const { return m_found; }

  private:
    pid_t m_leader;
    std::set<pid_t> m_found, m_groups, m_sessions;
};

// Kills everything the command started. What each look finds is stopped first (a stopped
// process starts no other) and the table looked at again, until nothing new turns up: killed
// one by one, a parent would leave its children to init, out of sight.
void KillCommand(pid_t leader) {
    CommandTree tree(leader);
    for (int pass = 0; pass < kKillPasses && tree.Grow(ProcessTable()); ++pass) {
        for (const pid_t pid : tree.Found()) kill(pid, SIGSTOP);
    }
    kill(-leader, SIGKILL);
    for (const pid_t pid : tree.Found()) kill(pid, SIGKILL);
}

// Waits for the command's shell to end, until the deadline or a stop. It is not reaped here:
// until it is, its process id (its group's and its session's too) cannot go to another
// process, so a kill meant for them never reaches a stranger.
bool Ended(pid_t pid, Clock::time_point deadline, const std::function<bool()>& stopped,
           CommandOutcome& outcome) {
    for (;;) {
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid) {
            return true;
        }
        if (MustEnd(deadline, stopped, outcome)) return false;
        std::this_thread::sleep_for(kEndLook);
    }
}

}  // namespace

CommandOutcome RunShellCommand(const std::string& command,
                               const std::vector<std::pair<std::string, std::string>>& variables,
                               std::chrono::milliseconds timeout,
                               const std::function<bool()>& stopped) {
    const Clock::time_point deadline = Clock::now() + timeout;
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
        Collect(out[0], err[0], deadline, stopped, outcome);
        // The time counts to the shell's end: output closed early does not end the command.
        if (outcome.timedOut || outcome.stopped || !Ended(pid, deadline, stopped, outcome)) {
            KillCommand(pid);
        }
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
