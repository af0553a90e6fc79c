#pragma once

// Runs the simulated device, pellicon-sim, for a test, and reads back what it recorded.
//
//   #include "tests/support/sim_process.h"
//   using namespace tovrel::testing;
//
//   TempDir dir;                                   // removed with everything in it
//   SimProcess sim({"--trace", dir.File("trace"), "--state", dir.File("state")});
//   ASSERT_TRUE(sim.Started()) << sim.Error();
//   port.Open(sim.Path(), 9600);                   // the terminal end, e.g. /dev/pts/3
//   ...                                            // talk to the device
//   sim.Signal(SIGUSR1);                           // power cycle with the download pin held
//   sim.Stop();                                    // SIGTERM, then reaped (also in ~SimProcess)
//   std::vector<TraceEntry> trace = ReadTrace(dir.File("trace"));
//   std::optional<SimState> state = ReadSimState(dir.File("state"));
//
// SimProcess(arguments)  starts the simulator with extra arguments (see pellicon-sim --help)
//                        and waits for the terminal path it prints.
// Started(), Error()     whether that worked, and why not (also for rejected options).
// Path()                 the terminal end to open. Pid() the process id.
// Signal(signal)         sends a signal: SIGUSR1 power-cycles into the boot loader,
//                        SIGUSR2 power-cycles into the user code.
// WaitForExit(ms)        true once the simulator has ended by itself (--exit-after,
//                        --hangup-after, a start-up error) within ms; ExitStatus() then.
// Stop()                 ends it (SIGTERM, SIGKILL after 3 s) and returns its exit status.
//
// ReadTrace(path)        the trace lines "<seconds> <RX|TX> <HEX> <KIND> <BAUD>" as
//                        TraceEntry values; note lines ("# ...") are skipped.
// ReadSimState(path)     code flash, data flash, security bits and bootload byte of a
//                        --state file; nullopt when it is missing or malformed.
//
// The test target needs the simulator's path and a build dependency on it:
//   target_compile_definitions(my_tests PRIVATE TOVREL_SIM_PATH="$<TARGET_FILE:pellicon-sim>")
//   add_dependencies(my_tests pellicon-sim)

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifndef TOVREL_SIM_PATH
#error "Define TOVREL_SIM_PATH as the path of pellicon-sim (see the comment above)."
#endif

extern char** environ;

namespace tovrel::testing {

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tovrel-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) m_path = pattern;
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

  private:
    std::string m_path;
};

class SimProcess {
  public:
    static constexpr int kStartTimeoutMs = 10000;
    static constexpr int kStopTimeoutMs = 3000;

    explicit SimProcess(const std::vector<std::string>& arguments = {}) { Spawn(arguments); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    ~SimProcess() { Stop(); }

    bool Started() const { return !m_path.empty(); }
    const std::string& Error() const { return m_error; }
    const std::string& Path() const { return m_path; }
    pid_t Pid() const { return m_pid; }
    int ExitStatus() const { return m_status; }

    bool Signal(int signal) const { return m_pid > 0 && !m_reaped && kill(m_pid, signal) == 0; }

    bool WaitForExit(int timeoutMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!Reap(WNOHANG)) {
            if (std::chrono::steady_clock::now() >= end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    int Stop() {
        if (m_pid <= 0 || m_reaped) return m_status;
        kill(m_pid, SIGTERM);
        if (!WaitForExit(kStopTimeoutMs)) {
            kill(m_pid, SIGKILL);
            Reap(0);
        }
        return m_status;
    }

  private:
    void Spawn(const std::vector<std::string>& arguments) {
        std::vector<std::string> words{TOVREL_SIM_PATH};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) {
            m_error = "cannot make a pipe";
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        const int failed = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (failed != 0) {
            m_pid = -1;
            m_error = std::string("cannot start ") + argv[0];
        } else {
            ReadPath(out[0]);
        }
        close(out[0]);
    }

    // The simulator prints the terminal path as its only line on standard output.
    void ReadPath(int fd) {
        std::string line;
        pollfd watched{fd, POLLIN, 0};
        char c = 0;
        while (poll(&watched, 1, kStartTimeoutMs) > 0 && read(fd, &c, 1) == 1 && c != '\n') {
            line += c;
        }
        if (c == '\n' && !line.empty()) {
            m_path = line;
        } else {
            m_error = "pellicon-sim printed no terminal path (see its standard error)";
        }
    }

    bool Reap(int flags) {
        if (m_reaped) return true;
        int status = 0;
        if (waitpid(m_pid, &status, flags) != m_pid) return false;
        m_reaped = true;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
    }

    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_status = -1;
    std::string m_path;
    std::string m_error;
};

struct TraceEntry {
    enum class Direction { Rx, Tx };
    double seconds = 0;
    Direction direction = Direction::Rx;
    std::vector<std::uint8_t> bytes;
    std::string kind;  // command letter, ID (reset message), ? (discarded), STRAY
    long baud = 0;     // the device's rate at that moment
};

inline std::vector<std::uint8_t> BytesFromHex(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

inline std::vector<TraceEntry> ReadTrace(const std::string& path) {
    std::vector<TraceEntry> entries;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        TraceEntry entry;
        std::string direction, hex;
        if (!(fields >> entry.seconds >> direction >> hex >> entry.kind >> entry.baud)) continue;
        entry.direction = direction == "TX" ? TraceEntry::Direction::Tx : TraceEntry::Direction::Rx;
        entry.bytes = BytesFromHex(hex);
        entries.push_back(std::move(entry));
    }
    return entries;
}

struct SimState {
    std::vector<std::uint8_t> code;
    std::vector<std::uint8_t> data;  // four-byte page n at offset 4 * n
    std::uint8_t security = 0xFF;
    std::uint8_t bootload = 0xFF;
};

// Header lines "pellicon-sim state 1", "code-size N", "data-size N", "security HH",
// "bootload HH", an empty line, then N bytes of code flash and N bytes of data flash.
inline std::optional<SimState> ReadSimState(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic, codeKey, dataKey, securityKey, bootloadKey, blank;
    std::size_t codeSize = 0, dataSize = 0;
    unsigned security = 0, bootload = 0;
    std::getline(in, magic);
    in >> codeKey >> codeSize >> dataKey >> dataSize >> securityKey >> std::hex >> security >>
        bootloadKey >> bootload;
    in.ignore(1);  // the end of the bootload line
    std::getline(in, blank);
    if (!in || magic != "pellicon-sim state 1" || codeKey != "code-size" || !blank.empty()) {
        return std::nullopt;
    }
    SimState state;
    state.code.resize(codeSize);
    state.data.resize(dataSize);
    in.read(reinterpret_cast<char*>(state.code.data()), static_cast<std::streamsize>(codeSize));
    in.read(reinterpret_cast<char*>(state.data.data()), static_cast<std::streamsize>(dataSize));
    if (!in) return std::nullopt;
    state.security = static_cast<std::uint8_t>(security);
    state.bootload = static_cast<std::uint8_t>(bootload);
    return state;
}

}  // namespace tovrel::testing
