#include "station/production_log.h"

#include "station/board_result.h"

namespace tovrel {
namespace {

constexpr char kLineEnd = '\n';

// Writes the text whole in one call, then to the disk; the reason when that failed. A write
// that left only part of the text is cut back off: the next line must not be glued onto it.
// The caller holds the file's lock, so no other writer's line stands after the part.
std::string WriteWhole(int fd, const std::string& text) {
    std::error_code error;
    const std::optional<long long> length = FileLength(fd, error);
    if (!length) return error.message();
    const std::optional<std::size_t> written = WriteOnce(fd, text, error);
    std::string reason = written ? std::string() : error.message();
    // A short write is a full disk (or the file-size limit): the rest has no room either.
    if (written && *written != text.size()) {
        reason = std::make_error_code(std::errc::no_space_on_device).message();
        if (const std::error_code cut = TruncateTo(fd, *length)) reason += "; " + cut.message();
    }
    if (reason.empty()) {
        if (const std::error_code synced = SyncToDisk(fd)) reason = synced.message();
    }
    return reason;
}

}  // namespace

std::unique_ptr<ProductionLog> ProductionLog::Open(const std::string& path, std::string& reason) {
    std::error_code error;
    FileDescriptor fd = OpenForAppend(path, error);
    if (!fd) {
        reason = error.message();
        return nullptr;
    }
    std::unique_ptr<ProductionLog> log(new ProductionLog(path, std::move(fd)));
    const int file = log->m_fd.get();
    if (const std::error_code locked = LockExclusive(file)) {
        reason = locked.message();
        return nullptr;
    }
    if (const std::optional<long long> length = FileLength(file, error); !length) {
        reason = error.message();
    } else if (*length == 0) {
        reason = WriteWhole(file, std::string(kCsvHeader) + kLineEnd);
    }
    Unlock(file);
    if (!reason.empty()) return nullptr;
    return log;
}

ProductionLog::~ProductionLog() = default;

std::string ProductionLog::Append(const std::string& line) {
    if (const std::error_code locked = LockExclusive(m_fd.get())) return locked.message();
    std::string reason = WriteWhole(m_fd.get(), line + kLineEnd);
    Unlock(m_fd.get());
    return reason;
}

}  // namespace tovrel
