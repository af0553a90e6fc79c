#include "station/serial_numbers.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace tovrel {
namespace {

constexpr const char* kNextKey = "next";
constexpr const char* kFreeKey = "free";
constexpr const char* kLockSuffix = ".lock";
constexpr const char* kAsideSuffix = ".new";
constexpr std::uint64_t kBeyondLast = std::uint64_t{UINT32_MAX} + 1;
constexpr mode_t kFileMode = 0644;
constexpr std::size_t kMaxFileBytes = 1 << 20;

std::optional<std::uint64_t> Number(const std::string& word, std::uint64_t most) {
    std::uint64_t value = 0;
    const char* end = word.data() + word.size();
    const auto [at, error] = std::from_chars(word.data(), end, value);
    if (word.empty() || error != std::errc() || at != end || value > most) return std::nullopt;
    return value;
}

// An open descriptor, closed when it goes.
class Descriptor {
  public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

  private:
    int m_fd;
};

std::string Problem(const std::string& path) { return path + ": " + std::strerror(errno); }

// The whole file; empty when it is missing. False with the problem when it cannot be read.
bool ReadWhole(const std::string& path, std::string& text, std::string& problem) {
    const Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        if (errno == ENOENT) return true;
        problem = Problem(path);
        return false;
    }
    char buffer[4096];
    for (ssize_t n; (n = read(file.get(), buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            problem = Problem(path);
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > kMaxFileBytes) {
            problem = path + ": " + std::strerror(EFBIG);
            return false;
        }
    }
    return true;
}

bool WriteAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Replaces the file as a whole and makes it last: a crash leaves the old file or the new one.
std::string ReplaceWhole(const std::string& path, const std::string& text) {
    const std::string aside = path + kAsideSuffix;
    {
        const Descriptor file(
            open(aside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kFileMode));
        if (file.get() < 0 || !WriteAll(file.get(), text) || fsync(file.get()) != 0) {
            return Problem(aside);
        }
    }
    if (rename(aside.c_str(), path.c_str()) != 0) return Problem(path);
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const Descriptor directory(
        open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() < 0 || fsync(directory.get()) != 0) return Problem(folder.string());
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

template <typename Change>
std::string SerialNumberFile::Update(Change change) {
    const std::lock_guard<std::mutex> turn(m_mutex);
    const std::filesystem::path folder = std::filesystem::path(m_path).parent_path();
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
    const std::string lockPath = m_path + kLockSuffix;
    const Descriptor lock(open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kFileMode));
    if (lock.get() < 0) return Problem(lockPath);
    while (flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR) return Problem(lockPath);
    }
    std::string text, problem;
    if (!ReadWhole(m_path, text, problem)) return problem;
    std::optional<SerialNumberState> state = ParseSerialNumbers(text);
    if (!state) return m_path + ": not a serial-number file (lines \"next N\" and \"free N ...\")";
    if (const std::string refused = change(*state); !refused.empty()) return refused;
    return ReplaceWhole(m_path, SerialNumbersText(*state));
    // The lock goes with its descriptor.
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
