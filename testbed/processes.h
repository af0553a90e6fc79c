#pragma once

// Starting the simulated device and the program under test, and watching them end.

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tovrel::testbed {

// Seconds on CLOCK_MONOTONIC, the clock of the simulator's "# origin-monotonic" note.
double MonotonicSeconds();

// pellicon-sim (program), started with its arguments; it prints the terminal end to open.
// Stopped (SIGTERM, SIGKILL after 3 s, then reaped) at the latest when the object goes.
class SimProcess {
  public:
    static constexpr int kStartTimeoutMs = 10000;
    static constexpr int kStopTimeoutMs = 3000;

    // Its standard error goes to errorFile, or stays the caller's when that is empty.
    SimProcess(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& errorFile = "");
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    ~SimProcess() { Stop(); }

    bool Started() const { return !m_path.empty(); }
    const std::string& Error() const { return m_error; }  // why it did not start
    const std::string& Path() const { return m_path; }    // the terminal end, /dev/pts/N
    // SIGUSR1 power-cycles into the boot loader, SIGUSR2 into the user code.
    bool Signal(int signal) const;
    // True once it has ended by itself within timeoutMs (--exit-after, a bad option).
    bool WaitForExit(int timeoutMs);
    // Ends it, so that it writes its trace summary; returns its exit status.
    int Stop();

  private:
    bool Reap(int flags);

    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_status = -1;
    std::string m_path;
    std::string m_error;
};

using Environment = std::map<std::string, std::string>;

// The named variables of this process's own environment that are set; all when none named.
Environment OwnEnvironment(const std::vector<std::string>& names = {});

// What else a run gets besides its words and environment.
struct RunOptions {
    std::string input = {};     // on standard input through a pipe (at most 64 KiB)
    bool brokenOutput = false;  // standard output into a pipe nobody reads
    std::string outFile = {};   // standard output and error into these files; when
    std::string errFile = {};   // empty, into ProgramRun::out and err
    // Called with the process id every 2 ms while it runs; it is killed after killAfterMs.
    // With neither, the end is waited for blocking, so its time is exact.
    std::function<void(pid_t)> whileRunning = {};
    int killAfterMs = 0;
};

struct ProgramRun {
    bool started = false;
    int status = -1;  // exit status, or 128 + the signal that ended it
    std::string out, err;
    double startSeconds = 0;  // MonotonicSeconds() just before the start
    double endSeconds = 0;    // when it was reaped
    double cpuSeconds = 0;    // user + system
};

// Runs words[0] with the words as its arguments and exactly env as its environment.
ProgramRun RunProgram(std::vector<std::string> words, const Environment& env,
                      const RunOptions& options = {});

}  // namespace tovrel::testbed
