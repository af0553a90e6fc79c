#include "core/os_files.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace tovrel {
namespace {

namespace fs = std::filesystem;

constexpr int kTemporaryAttempts = 100;
constexpr int kStopLookMs = 100;
constexpr std::size_t kReadChunk = 64 * 1024;
// More links than this in a row is a loop, as the system itself counts.
constexpr int kMostLinks = 40;
constexpr mode_t kNewFileMode = 0666;  // less the umask, as any new file
// The files several benches share: written by their owner, read by anyone.
constexpr mode_t kSharedFileMode = 0644;
constexpr std::size_t kRegularChunk = 4096;

std::error_code LastError() { return {errno, std::generic_category()}; }

// A name of its own for one temporary file: random, and unique within this process.
std::string TemporaryName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x%04x.tmp", static_cast<unsigned>(random()),
                  counter++ & 0xFFFFu);
    return target + suffix;
}

}  // namespace

FileDescriptor::~FileDescriptor() {
    if (m_fd >= 0) close(m_fd);
}

std::error_code FileDescriptor::Close() {
    const int fd = m_fd;
    m_fd = -1;
    return fd < 0 || close(fd) == 0 ? std::error_code() : LastError();
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) close(m_fd);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

std::optional<TemporaryFile> CreateTemporaryBeside(const std::string& target,
                                                   std::error_code& error) {
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        std::string path = TemporaryName(target);
        const int fd =
            open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode);
        if (fd >= 0) return TemporaryFile{FileDescriptor(fd), std::move(path)};
        if (errno != EEXIST) {
            error = LastError();
            return std::nullopt;
        }
    }
    error = std::make_error_code(std::errc::file_exists);
    return std::nullopt;
}

std::error_code WriteAll(int fd, std::string_view bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return LastError();
        if (n == 0) return std::make_error_code(std::errc::no_space_on_device);
        done += static_cast<std::size_t>(n);
    }
    return {};
}

std::error_code SyncToDisk(int fd) { return fsync(fd) == 0 ? std::error_code() : LastError(); }

std::error_code SyncFolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    const FileDescriptor directory(
        open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!directory) return LastError();
    return SyncToDisk(directory.get());
}

std::error_code RenameOver(const std::string& from, const std::string& to) {
    return rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }

void MakeFoldersFor(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    std::error_code ignored;
    if (!folder.empty()) fs::create_directories(folder, ignored);
}

FileDescriptor OpenLockFile(const std::string& path, std::error_code& error) {
    FileDescriptor lock(
        open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kSharedFileMode));
    if (!lock) error = LastError();
    return lock;
}

FileDescriptor OpenForAppend(const std::string& path, std::error_code& error) {
    FileDescriptor file(
        open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kSharedFileMode));
    if (!file) error = LastError();
    return file;
}

std::error_code LockExclusive(int fd) {
    while (flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) return LastError();
    }
    return {};
}

void Unlock(int fd) { flock(fd, LOCK_UN); }

std::optional<std::size_t> WriteOnce(int fd, std::string_view bytes, std::error_code& error) {
    ssize_t written;
    do {
        written = write(fd, bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    if (written < 0) {
        error = LastError();
        return std::nullopt;
    }
    return static_cast<std::size_t>(written);
}

RegularReading ReadRegularFile(const std::string& path, std::size_t limit, std::string& text,
                               std::error_code& error) {
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file) {
        error = LastError();
        return error == std::errc::no_such_file_or_directory ? RegularReading::Missing
                                                             : RegularReading::Failed;
    }
    struct stat status {};
    if (fstat(file.get(), &status) != 0) {
        error = LastError();
        return RegularReading::Failed;
    }
    if (!S_ISREG(status.st_mode)) return RegularReading::NotRegular;
    char buffer[kRegularChunk];
    for (ssize_t n; (n = read(file.get(), buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = LastError();
            return RegularReading::Failed;
        }
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > limit) {
            error = std::make_error_code(std::errc::file_too_large);
            return RegularReading::Failed;
        }
    }
    return RegularReading::Whole;
}

std::error_code TruncateTo(int fd, long long length) {
    while (ftruncate(fd, static_cast<off_t>(length)) != 0) {
        if (errno != EINTR) return LastError();
    }
    return {};
}

std::optional<long long> FileLength(int fd, std::error_code& error) {
    struct stat status {};
    if (fstat(fd, &status) != 0) {
        error = LastError();
        return std::nullopt;
    }
    return static_cast<long long>(status.st_size);
}

std::optional<std::string> ResolveLinks(const std::string& path, std::error_code& error) {
    fs::path current = fs::absolute(path, error);
    for (int links = 0; !error && links <= kMostLinks; ++links) {
        // Every link of the part that exists is followed here; a link to nothing is left as
        // the last part and followed by hand below.
        const fs::path resolved = fs::weakly_canonical(current, error);
        if (error) break;
        std::error_code ignored;
        if (!fs::is_symlink(fs::symlink_status(resolved, ignored))) {
            if (fs::is_directory(resolved.parent_path(), error)) return resolved.string();
            if (!error) error = std::make_error_code(std::errc::no_such_file_or_directory);
            break;
        }
        const fs::path target = fs::read_symlink(resolved, error);
        current = target.is_absolute() ? target : resolved.parent_path() / target;
    }
    if (!error) error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return std::nullopt;
}

bool IsRegularFile(const std::string& path, bool& exists, std::error_code& error) {
    struct stat status {};
    exists = stat(path.c_str(), &status) == 0;
    if (!exists && errno != ENOENT) error = LastError();
    return exists && S_ISREG(status.st_mode);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

Reading ReadWholeFile(const std::string& path, std::size_t limit,
                      const std::function<bool()>& stopped, std::string& text) {
    if (path.find('\0') != std::string::npos) return Reading::Failed;  // names no file
    // Without O_NONBLOCK the open of a FIFO would wait for a writer, beyond any stop.
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file) return Reading::Failed;
    // A FIFO that never had a writer is not readable yet: its end comes only after one was
    // there. A plain file always is; a folder fails at the read.
    pollfd waiting{file.get(), POLLIN, 0};
    for (;;) {
        if (stopped && stopped()) return Reading::Stopped;
        const int ready = poll(&waiting, 1, kStopLookMs);
        if (ready < 0 && errno != EINTR) return Reading::Failed;
        if (ready <= 0) continue;
        const std::size_t old = text.size();
        text.resize(old + kReadChunk);
        const ssize_t got = read(file.get(), text.data() + old, kReadChunk);
        text.resize(old + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (got < 0) return Reading::Failed;
        if (got == 0) return Reading::Whole;
        if (text.size() > limit) return Reading::TooLarge;
    }
}

std::optional<std::string> EnvironmentValue(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

}  // namespace tovrel
