#include "station/serial_numbers.h"

#include <charconv>
#include <sstream>

#include "core/os_files.h"

namespace tovrel {
namespace {

constexpr const char* kNextKey = "next";
constexpr const char* kFreeKey = "free";
constexpr const char* kLockSuffix = ".lock";
constexpr std::uint64_t kBeyondLast = std::uint64_t{UINT32_MAX} + 1;
constexpr std::size_t kMaxFileBytes = 1 << 20;

std::optional<std::uint64_t> Number(const std::string& word, std::uint64_t most) {
    std::uint64_t value = 0;
    const char* end = word.data() + word.size();
    const auto [at, error] = std::from_chars(word.data(), end, value);
    if (word.empty() || error != std::errc() || at != end || value > most) return std::nullopt;
    return value;
}

std::string Problem(const std::string& path, const std::error_code& error) {
    return path + ": " + error.message();
}

// The lock every change holds, on a file of its own beside the numbers (never through a link
// planted under its name). Invalid, with the problem, when it cannot be had.
FileDescriptor TakeLock(const std::string& lockPath, std::string& problem) {
    std::error_code error;
    FileDescriptor lock = OpenLockFile(lockPath, error);
    if (lock) error = LockExclusive(lock.get());
    if (!error) return lock;
    problem = Problem(lockPath, error);
    return FileDescriptor();
}

// The whole file. False with the problem when it cannot be read; missing tells a file that is
// not there.
bool ReadWhole(const std::string& path, std::string& text, bool& missing, std::string& problem) {
    std::error_code error;
    const RegularReading reading = ReadRegularFile(path, kMaxFileBytes, text, error);
    missing = reading == RegularReading::Missing;
    if (reading == RegularReading::NotRegular) problem = path + ": not a regular file";
    if (reading == RegularReading::Missing || reading == RegularReading::Failed) {
        problem = Problem(path, error);
    }
    return reading == RegularReading::Whole;
}

// Replaces the file as a whole and makes it last: a crash leaves the old file or the new one.
std::string ReplaceWhole(const std::string& path, const std::string& text) {
    std::error_code error;
    std::optional<TemporaryFile> aside = CreateTemporaryBeside(path, error);
    if (!aside) return Problem(path, error);
    if (!error) error = WriteAll(aside->fd.get(), text);
    if (!error) error = SyncToDisk(aside->fd.get());
    if (!error) error = aside->fd.Close();
    if (!error) error = RenameOver(aside->path, path);
    if (error) {
        RemoveFile(aside->path);
        return Problem(aside->path, error);
    }
    if (const std::error_code folder = SyncFolderOf(path)) return Problem(path, folder);
    return {};
}

}  // namespace

std::optional<SerialNumberState> ParseSerialNumbers(const std::string& text) {
    SerialNumberState state;
    std::istringstream lines(text);
    bool seenNext = false, seenFree = false;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string key;
        if (!(words >> key)) continue;  // an empty line
        if (key == kNextKey && !seenNext) {
            std::string word, extra;
            if (!(words >> word) || (words >> extra)) return std::nullopt;
            state.next = Number(word, kBeyondLast);
            if (!state.next) return std::nullopt;
            seenNext = true;
        } else if (key == kFreeKey && !seenFree) {
            for (std::string word; words >> word;) {
                const std::optional<std::uint64_t> number = Number(word, UINT32_MAX);
                if (!number) return std::nullopt;
                state.free.insert(static_cast<std::uint32_t>(*number));
            }
            seenFree = true;
        } else {
            return std::nullopt;
        }
    }
    // Every number ever given out lies below next: a free one that does not was never given
    // out, and taking it would clash with the next number.
    if (!state.free.empty() && *state.free.rbegin() >= state.next.value_or(0)) return std::nullopt;
    return state;
}

std::string SerialNumbersText(const SerialNumberState& state) {
    std::string text;
    if (state.next) text += std::string(kNextKey) + " " + std::to_string(*state.next) + "\n";
    text += kFreeKey;
    for (std::uint32_t number : state.free) text += " " + std::to_string(number);
    return text + "\n";
}

std::optional<std::uint32_t> TakeSerialNumber(SerialNumberState& state, std::uint32_t first) {
    if (const auto free = state.free.lower_bound(first); free != state.free.end()) {
        const std::uint32_t number = *free;
        state.free.erase(free);
        return number;
    }
    const std::uint64_t number = std::max<std::uint64_t>(state.next.value_or(0), first);
    if (number >= kBeyondLast) return std::nullopt;
    state.next = number + 1;
    return static_cast<std::uint32_t>(number);
}

// The file is found once, at the first change: its links followed, so that every station that
// reaches it through a link shares this one file, its lock and its folder. It must be a
// regular file or a new one in an existing folder; a missing folder is made (a fresh settings
// folder may not be there yet).
std::string SerialNumberFile::Find() {
    MakeFoldersFor(m_path);
    std::error_code error;
    std::optional<std::string> real = ResolveLinks(m_path, error);
    if (!real) return Problem(m_path, error);
    bool exists = false;
    if (!IsRegularFile(*real, exists, error) && (exists || error)) {
        return error ? Problem(*real, error) : *real + ": not a regular file";
    }
    m_path = *real;
    m_found = true;
    return {};
}

template <typename Change>
std::string SerialNumberFile::Update(Change change) {
    const std::lock_guard<std::mutex> turn(m_mutex);
    // Once found, the file has been written: from then on a missing file has gone, and
    // starting again at the first number would hand out numbers that are on boards.
    const bool mayBeNew = !m_found;
    if (!m_found) {
        if (std::string problem = Find(); !problem.empty()) return problem;
    }
    std::string problem;
    const FileDescriptor lock = TakeLock(m_path + kLockSuffix, problem);
    if (!lock) return problem;
    const std::string result = [&] {
        std::string text;
        bool missing = false;
        if (!ReadWhole(m_path, text, missing, problem) && !(missing && mayBeNew)) {
            return missing ? m_path + ": the file has gone since this run began" : problem;
        }
        std::optional<SerialNumberState> state = ParseSerialNumbers(text);
        if (!state) {
            return m_path + ": not a serial-number file (lines \"next N\" and \"free N ...\")";
        }
        if (std::string refused = change(*state); !refused.empty()) return refused;
        return ReplaceWhole(m_path, SerialNumbersText(*state));
    }();
    // Let go at once: a system may free the lock of a closed file only some time later.
    Unlock(lock.get());
    return result;
}

std::string SerialNumberFile::Check() {
    return Update([](SerialNumberState&) { return std::string(); });
}

std::optional<std::uint32_t> SerialNumberFile::Take(std::string& problem) {
    std::optional<std::uint32_t> number;
    problem = Update([&](SerialNumberState& state) {
        number = TakeSerialNumber(state, m_first);
        return number ? std::string() : m_path + ": every number up to 4294967295 is used";
    });
    if (!problem.empty()) return std::nullopt;
    return number;
}

std::string SerialNumberFile::GiveBack(std::uint32_t number) {
    return Update([number](SerialNumberState& state) {
        state.free.insert(number);
        return std::string();
    });
}

}  // namespace tovrel
