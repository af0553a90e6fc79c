#include "station/production_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "station/board_result.h"

namespace tovrel {
namespace {

constexpr mode_t kLogMode = 0644;
constexpr char kLineEnd = '\n';

std::string SystemReason() { return std::strerror(errno); }

// Writes the text whole in one call, then to the disk; the reason when that failed.
std::string WriteWhole(int fd, const std::string& text) {
    ssize_t written;
    do {
        written = write(fd, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    if (written < 0) return SystemReason();
    // A short write leaves a partial line; the rest must not follow later, where another
    // writer's line may already stand.
    if (static_cast<std::size_t>(written) != text.size()) return std::strerror(ENOSPC);
    if (fsync(fd) != 0) return SystemReason();
    return {};
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
    if (flock(fd, LOCK_EX) != 0 || fstat(fd, &status) != 0) {
        reason = SystemReason();
        return nullptr;
    }
    if (status.st_size == 0) reason = WriteWhole(fd, std::string(kCsvHeader) + kLineEnd);
    flock(fd, LOCK_UN);
    if (!reason.empty()) return nullptr;
    return log;
}

ProductionLog::~ProductionLog() { close(m_fd); }

std::string ProductionLog::Append(const std::string& line) {
    return WriteWhole(m_fd, line + kLineEnd);
}

}  // namespace tovrel
