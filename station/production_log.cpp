#include "station/production_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/os_files.h"
#include "station/board_result.h"

namespace tovrel {
namespace {

constexpr mode_t kLogMode = 0644;
constexpr char kLineEnd = '\n';

std::string SystemReason() { return std::strerror(errno); }

// Takes the file's lock, again after an interruption; the reason when it cannot.
std::string Lock(int fd, int operation) {
    while (flock(fd, operation) != 0) {
        if (errno != EINTR) return SystemReason();
    }
    return {};
}

// Writes the text whole in one call, then to the disk; the reason when that failed. A write
// that left only part of the text is cut back off: the next line must not be glued onto it.
// The caller holds the file's lock, so no other writer's line stands after the part.
std::string WriteWhole(int fd, const std::string& text) {
    std::error_code error;
    const std::optional<long long> length = FileLength(fd, error);
    if (!length) return error.message();
    ssize_t written;
    do {
        written = write(fd, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    std::string reason = written < 0 ? SystemReason() : std::string();
    // A short write is a full disk (or the file-size limit): the rest has no room either.
    if (written >= 0 && static_cast<std::size_t>(written) != text.size()) {
        reason = std::strerror(ENOSPC);
        if (const std::error_code cut = TruncateTo(fd, *length)) reason += "; " + cut.message();
    }
    if (reason.empty() && fsync(fd) != 0) reason = SystemReason();
    return reason;
}

}  // namespace

std::unique_ptr<ProductionLog> ProductionLog::Open(const std::string& path, std::string& reason) {
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kLogMode);
    if (fd < 0) {
        reason = SystemReason();
        return nullptr;
    }
    std::unique_ptr<ProductionLog> log(new ProductionLog(path, fd));
    struct stat status {};
    reason = Lock(fd, LOCK_EX);
    if (!reason.empty()) return nullptr;
    if (fstat(fd, &status) != 0) {
        reason = SystemReason();
    } else if (status.st_size == 0) {
        reason = WriteWhole(fd, std::string(kCsvHeader) + kLineEnd);
    }
    flock(fd, LOCK_UN);
    if (!reason.empty()) return nullptr;
    return log;
}

ProductionLog::~ProductionLog() { close(m_fd); }

std::string ProductionLog::Append(const std::string& line) {
    if (std::string reason = Lock(m_fd, LOCK_EX); !reason.empty()) return reason;
    std::string reason = WriteWhole(m_fd, line + kLineEnd);
    flock(m_fd, LOCK_UN);
    return reason;
}

}  // namespace tovrel
