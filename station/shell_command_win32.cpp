// Runs a command through cmd on Windows. The command and everything it starts sit in a job
// object of their own: a time-out or a stop ends the whole job at once, and so does the end of
// this program, whatever way it ends.
#include <algorithm>
#include <condition_variable>
#include <cwchar>
#include <cwctype>
#include <mutex>
#include <thread>

#include "core/win32.h"
#include "station/shell_command.h"

namespace tovrel {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kStopLook{100};
constexpr DWORD kPipeChunk = 4096;
// The exit status of a command the time-out or a stop ended.
constexpr UINT kKilledStatus = 1;
// Makes the pipe ends the child inherits inheritable only while that one child starts, so a
// command another port starts at the same moment never holds them open.
std::mutex g_startTurn;

std::string SystemMessage(DWORD error) {
    return std::error_code(static_cast<int>(error), std::system_category()).message();
}

std::wstring NameOf(const std::wstring& entry) {
    // "=C:=C:\work": a name that starts with '=' is the drive's current folder.
    std::wstring name = entry.substr(0, entry.find(L'=', 1));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](wchar_t c) { return std::towupper(c); });
    return name;
}

// The program's environment with the variables set, as the block CreateProcessW takes: each
// variable replaces one of the same name, whatever its case (as Windows compares names), and
// the entries sorted by name as the system keeps them.
std::wstring EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& variables) {
    std::vector<std::wstring> entries;
    for (const auto& [variable, value] : variables) entries.push_back(Wide(variable + "=" + value));
    wchar_t* const own = GetEnvironmentStringsW();
    for (const wchar_t* entry = own; entry != nullptr && *entry != L'\0';
         entry += wcslen(entry) + 1) {
        const std::wstring name = NameOf(entry);
        const bool replaced = std::any_of(
            entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(variables.size()),
            [&name](const std::wstring& given) { return NameOf(given) == name; });
        if (!replaced) entries.emplace_back(entry);
    }
    if (own != nullptr) FreeEnvironmentStringsW(own);
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const std::wstring& a, const std::wstring& b) { return NameOf(a) < NameOf(b); });
    std::wstring block;
    for (const std::wstring& entry : entries) block += entry + L'\0';
    if (block.empty()) block += L'\0';  // an empty block is two NULs too
    return block + L'\0';
}

// What one pipe brings, read by a thread of its own until the pipe closes.
struct Sink {
    Handle pipe;
    std::string text;
    bool beyondLimit = false;
};

// Both pipes read to their end, or none: told through the condition the caller waits on.
struct Readers {
    std::mutex mutex;
    std::condition_variable changed;
    int open = 2;
};

void Drain(Sink& sink, Readers& readers) {
    char buffer[kPipeChunk];
    DWORD n = 0;
    // Until the last writer is gone (a write of no bytes reads as none and is no end). Beyond
    // the limit the bytes are read and dropped, so the command is not blocked.
    while (ReadFile(sink.pipe.get(), buffer, sizeof buffer, &n, nullptr)) {
        if (sink.text.size() + n > kCommandOutputLimit) {
            sink.beyondLimit = true;
            continue;
        }
        sink.text.append(buffer, n);
    }
    const std::lock_guard<std::mutex> lock(readers.mutex);
    --readers.open;
    readers.changed.notify_all();
}

// Whether the command must end now: its time is up, or a stop came. Says which in outcome.
bool MustEnd(Clock::time_point deadline, const std::function<bool()>& stopped,
             CommandOutcome& outcome) {
    outcome.stopped = stopped && stopped();
    outcome.timedOut = !outcome.stopped && Clock::now() >= deadline;
    return outcome.stopped || outcome.timedOut;
}

// A pipe whose reading end stays here and whose writing end the command gets.
bool MakePipe(Handle& ours, Handle& theirs) {
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, nullptr, 0)) return false;
    ours = Handle(read);
    theirs = Handle(write);
    return true;
}

Handle NulForReading() {
    return Handle(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
}

// The job that ends whatever the command starts once its handle closes.
Handle KillingJob() {
    Handle job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                        sizeof limits)) {
        job.Close();
    }
    return job;
}

// "cmd /d /s /c "<command>"": /s takes the command between the outer quotes as it stands
// (a quoted program path first included), /d keeps the user's AutoRun commands out of it.
std::wstring CommandLine(const std::string& command) {
    return L"cmd /d /s /c \"" + Wide(command) + L"\"";
}

std::wstring CommandShell() {
    wchar_t folder[MAX_PATH];
    const UINT size = GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, size > 0 && size < MAX_PATH ? size : 0) + L"\\cmd.exe";
}

// Starts the command, suspended until it is in the job, with the three handles as its
// standard input, output and error. A group of its own: a Ctrl-C meant for the bench does not
// reach it. Without a console window of its own, in the window's build too.
bool Start(const std::string& command, std::wstring environment, Handle& job, HANDLE handles[3],
           PROCESS_INFORMATION& process, std::string& problem) {
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = handles[0];
    start.hStdOutput = handles[1];
    start.hStdError = handles[2];
    std::wstring line = CommandLine(command);
    const std::wstring shell = CommandShell();
    const DWORD flags =
        CREATE_SUSPENDED | CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT;
    {
        const std::lock_guard<std::mutex> turn(g_startTurn);
        for (int k = 0; k < 3; ++k) SetHandleInformation(handles[k], HANDLE_FLAG_INHERIT, 1);
        const BOOL started = CreateProcessW(shell.c_str(), line.data(), nullptr, nullptr, TRUE,
                                            flags, environment.data(), nullptr, &start, &process);
        const DWORD error = GetLastError();
        for (int k = 0; k < 3; ++k) SetHandleInformation(handles[k], HANDLE_FLAG_INHERIT, 0);
        if (!started) {
            problem = SystemMessage(error);
            return false;
        }
    }
    // Outside the job (a system that refuses it) only the shell itself can be ended.
    if (job && !AssignProcessToJobObject(job.get(), process.hProcess)) {
        job.Close();
    }
    ResumeThread(process.hThread);
    return true;
}

// Waits until both pipes are read to their end, the deadline passes or a stop comes.
void Collect(Readers& readers, Clock::time_point deadline, const std::function<bool()>& stopped,
             CommandOutcome& outcome) {
    std::unique_lock<std::mutex> lock(readers.mutex);
    while (readers.open > 0) {
        if (MustEnd(deadline, stopped, outcome)) return;
        readers.changed.wait_for(lock,
                                 std::min<Clock::duration>(kStopLook, deadline - Clock::now()));
    }
}

// Waits for the shell to end, until the deadline or a stop.
bool Ended(HANDLE process, Clock::time_point deadline, const std::function<bool()>& stopped,
           CommandOutcome& outcome) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const auto wait = std::clamp<long long>(left.count(), 0, kStopLook.count());
        if (WaitForSingleObject(process, static_cast<DWORD>(wait)) == WAIT_OBJECT_0) return true;
        if (MustEnd(deadline, stopped, outcome)) return false;
    }
}

}  // namespace

CommandOutcome RunShellCommand(const std::string& command,
                               const std::vector<std::pair<std::string, std::string>>& variables,
                               std::chrono::milliseconds timeout,
                               const std::function<bool()>& stopped) {
    const Clock::time_point deadline = Clock::now() + timeout;
    CommandOutcome outcome;
    Sink out, err;
    Handle outEnd, errEnd;
    const Handle input = NulForReading();
    if (!input || !MakePipe(out.pipe, outEnd) || !MakePipe(err.pipe, errEnd)) {
        outcome.startProblem = SystemMessage(GetLastError());
        return outcome;
    }
    Handle job = KillingJob();
    HANDLE handles[3] = {input.get(), outEnd.get(), errEnd.get()};
    PROCESS_INFORMATION process{};
    outcome.started =
        Start(command, EnvironmentBlock(variables), job, handles, process, outcome.startProblem);
    outEnd.Close();
    errEnd.Close();
    if (!outcome.started) return outcome;
    const Handle shell(process.hProcess), thread(process.hThread);
    Readers readers;
    std::thread outReader(Drain, std::ref(out), std::ref(readers));
    std::thread errReader(Drain, std::ref(err), std::ref(readers));
    Collect(readers, deadline, stopped, outcome);
    // The time counts to the shell's end: output closed early does not end the command.
    if (outcome.timedOut || outcome.stopped || !Ended(shell.get(), deadline, stopped, outcome)) {
        if (!job || !TerminateJobObject(job.get(), kKilledStatus)) {
            TerminateProcess(shell.get(), kKilledStatus);
        }
    }
    WaitForSingleObject(shell.get(), INFINITE);
    // Whatever the command left running ends with the job, and with it the pipes' last writer.
    if (job) TerminateJobObject(job.get(), kKilledStatus);
    outReader.join();
    errReader.join();
    DWORD status = 0;
    if (GetExitCodeProcess(shell.get(), &status)) outcome.exitStatus = static_cast<int>(status);
    outcome.out = std::move(out.text);
    outcome.err = std::move(err.text);
    outcome.tooMuch = out.beyondLimit;
    return outcome;
}

}  // namespace tovrel
