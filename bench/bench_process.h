#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tovrel::bench {

// Seconds on CLOCK_MONOTONIC, the clock of the simulator's trace origin.
double MonotonicSeconds();

// The simulated device, started with its arguments; stopped (SIGTERM, then reaped) at the
// latest when the object goes.
class SimRun {
  public:
    SimRun(const std::string& program, const std::vector<std::string>& arguments,
           const std::string& errorFile);
    SimRun(const SimRun&) = delete;
    SimRun& operator=(const SimRun&) = delete;
    ~SimRun();

    bool Started() const { return !m_path.empty(); }
    // The terminal end the simulator printed.
    const std::string& Path() const { return m_path; }
    // Ends it so that it writes its trace summary; returns its exit status.
    int Stop();

  private:
    pid_t m_pid = -1;
    std::string m_path;
};

// One run of the program under test.
struct ProgramRun {
    bool started = false;
    int exitStatus = -1;
    double startSeconds = 0;  // CLOCK_MONOTONIC just before the spawn
    double endSeconds = 0;    // CLOCK_MONOTONIC when it was reaped
    double cpuSeconds = 0;    // user + system
};

// Runs program with the arguments and the environment changes ("NAME=value" sets,
// "NAME" alone removes), standard output and error to the given files, and waits for it.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::vector<std::string>& environmentChanges,
                      const std::string& outFile, const std::string& errorFile);

}  // namespace tovrel::bench
