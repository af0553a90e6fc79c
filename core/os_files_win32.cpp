// placeholder until the Win32 adapter lands
// Just enough over the C runtime for the unit tests to read and write files; the real one
// (locks, write-through renames, wide paths) replaces it.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "core/os_files.h"

namespace tovrel {
namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

}  // namespace

FileDescriptor::~FileDescriptor() {
    if (m_fd >= 0) _close(m_fd);
}

std::error_code FileDescriptor::Close() {
    const int fd = m_fd;
    m_fd = -1;
    return fd < 0 || _close(fd) == 0 ? std::error_code() : LastError();
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) _close(m_fd);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

std::optional<TemporaryFile> CreateTemporaryBeside(const std::string& target,
                                                   std::error_code& error) {
    std::random_device random;
    const std::string path = target + "." + std::to_string(random()) + ".tmp";
    FileDescriptor fd(
        _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE));
    if (!fd) {
        error = LastError();
        return std::nullopt;
    }
    return TemporaryFile{std::move(fd), path};
}

std::error_code WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const int written = _write(fd, bytes.data(), static_cast<unsigned>(bytes.size()));
        if (written < 0) return LastError();
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

std::error_code SyncToDisk(int fd) { return _commit(fd) == 0 ? std::error_code() : LastError(); }

std::error_code SyncFolderOf(const std::string&) { return {}; }

std::error_code RenameOver(const std::string& from, const std::string& to) {
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return error;
}

void RemoveFile(const std::string& path) { _unlink(path.c_str()); }

std::error_code TruncateTo(int fd, long long length) {
    return _chsize_s(fd, length) == 0 ? std::error_code() : LastError();
}

std::optional<long long> FileLength(int fd, std::error_code& error) {
    const long long length = _filelengthi64(fd);
    if (length < 0) error = LastError();
    return length < 0 ? std::nullopt : std::optional<long long>(length);
}

std::optional<std::string> ResolveLinks(const std::string& path, std::error_code& error) {
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    if (error) return std::nullopt;
    return resolved.string();
}

bool IsRegularFile(const std::string& path, bool& exists, std::error_code& error) {
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    exists = std::filesystem::exists(status);
    if (!exists) error.clear();
    return std::filesystem::is_regular_file(status);
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

Reading ReadWholeFile(const std::string& path, std::size_t limit,
                      const std::function<bool()>& stopped, std::string& text) {
    if (stopped && stopped()) return Reading::Stopped;
    std::ifstream in(path, std::ios::binary);
    if (!in || std::filesystem::is_directory(path)) return Reading::Failed;
    text.append(std::istreambuf_iterator<char>(in), {});
    return text.size() > limit ? Reading::TooLarge : Reading::Whole;
}

}  // namespace tovrel
