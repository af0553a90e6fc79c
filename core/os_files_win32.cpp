// The calls on files for Windows. A descriptor is the C runtime's, in binary mode (no carriage
// return slips in before a line end), over a handle opened here with CreateFileW: every path
// goes to the system as UTF-16, and every file is shared for reading, writing and deleting,
// so a reader never stops a rename over the file it reads.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "core/os_files.h"
#include "core/win32.h"

namespace tovrel {
namespace {

constexpr int kTemporaryAttempts = 100;
constexpr int kRenameAttempts = 100;
constexpr DWORD kRenameRetryMs = 20;
// How long a pipe with nothing in it is left before the next look.
constexpr DWORD kPipeLookMs = 10;
constexpr DWORD kReadChunk = 64 * 1024;
constexpr DWORD kRegularChunk = 4096;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The byte whose lock stands for the whole file's, far beyond any end. A lock on the file's
// bytes themselves would be mandatory on Windows: every other reader (a person's viewer, the
// record query) would fail while a line is written. One byte out there is advisory, as the
// lock of the other systems is, and still excludes every other writer that asks for it.
constexpr DWORD kLockOffsetHigh = 0x40000000;
constexpr DWORD kLockLength = 1;
constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";

std::error_code SystemError() { return {static_cast<int>(GetLastError()), std::system_category()}; }
std::error_code RuntimeError() { return {errno, std::generic_category()}; }

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

// CreateFileW on the UTF-8 path. A path with a NUL in it names no file.
Handle Open(const std::string& path, DWORD access, DWORD disposition, DWORD flags) {
    if (path.find('\0') != std::string::npos) {
        SetLastError(ERROR_INVALID_NAME);
        return Handle();
    }
    return Handle(
        CreateFileW(Wide(path).c_str(), access, kShareAll, nullptr, disposition, flags, nullptr));
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The runtime's descriptor over the handle, which it owns from then on.
FileDescriptor Descriptor(Handle handle, int flags, std::error_code& error) {
    if (!handle) {
        error = SystemError();
        return FileDescriptor();
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle.get()), flags | _O_BINARY);
    if (fd < 0) {
        error = RuntimeError();
        return FileDescriptor();
    }
    handle.release();
    return FileDescriptor(fd);
}

// A name of its own for one temporary file: random, and unique within this process.
std::string TemporaryName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x%04x.tmp", static_cast<unsigned>(random()),
                  counter++ & 0xFFFFu);
    return target + suffix;
}

// The path the open handle leads to, with its links followed, as a plain drive or share path.
std::optional<std::wstring> FinalPath(HANDLE handle, std::error_code& error) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size =
            GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (size == 0) {
            error = SystemError();
            return std::nullopt;
        }
        if (size < path.size()) {
            path.resize(size);
            break;
        }
        path.resize(size);
    }
    if (path.starts_with(kLongUncPrefix)) return L"\\\\" + path.substr(kLongUncPrefix.size());
    if (path.starts_with(kLongPrefix)) return path.substr(kLongPrefix.size());
    return path;
}

// The absolute form of path (no file system looked at); the last part's offset in it.
std::optional<std::wstring> FullPath(const std::string& path, std::size_t& lastPart,
                                     std::error_code& error) {
    const std::wstring wide = Wide(path);
    std::wstring full(MAX_PATH, L'\0');
    wchar_t* part = nullptr;
    for (;;) {
        const DWORD size =
            GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), &part);
        if (size == 0) {
            error = SystemError();
            return std::nullopt;
        }
        if (size < full.size()) {
            full.resize(size);
            break;
        }
        full.resize(size);
    }
    lastPart = part != nullptr ? static_cast<std::size_t>(part - full.data()) : full.size();
    return full;
}

Handle OpenToLook(const std::wstring& path) {
    return Handle(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool IsFolder(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    return GetFileInformationByHandle(handle, &information) &&
           (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A symbolic link or a junction: a name for another file. Other reparse points (a file kept in
// the cloud, a deduplicated one) are the file itself.
bool IsLink(HANDLE handle, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return !GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) ||
           IsReparseTagNameSurrogate(tag.ReparseTag);
}

// Whether the open handle is a plain file: on a disk, no folder, no link.
bool IsPlainFile(HANDLE handle, std::error_code& error) {
    if (GetFileType(handle) != FILE_TYPE_DISK) return false;  // a device: NUL, COM1
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information)) {
        error = SystemError();
        return false;
    }
    return (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           !IsLink(handle, information.dwFileAttributes);
}

bool EqualNoCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Reads a pipe without ever waiting beyond a look at stopped: only what is in it already.
Reading ReadPipe(HANDLE pipe, std::size_t limit, const std::function<bool()>& stopped,
                 std::string& text) {
    for (;;) {
        if (stopped && stopped()) return Reading::Stopped;
        DWORD waiting = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr)) {
            return GetLastError() == ERROR_BROKEN_PIPE ? Reading::Whole : Reading::Failed;
        }
        if (waiting == 0) {
            Sleep(kPipeLookMs);
            continue;
        }
        const std::size_t old = text.size();
        text.resize(old + std::min(waiting, kReadChunk));
        DWORD got = 0;
        const BOOL read =
            ReadFile(pipe, text.data() + old, std::min(waiting, kReadChunk), &got, nullptr);
        text.resize(old + got);
        if (!read) return GetLastError() == ERROR_BROKEN_PIPE ? Reading::Whole : Reading::Failed;
        if (text.size() > limit) return Reading::TooLarge;
    }
}

}  // namespace

FileDescriptor::~FileDescriptor() {
    if (m_fd >= 0) _close(m_fd);
}

std::error_code FileDescriptor::Close() {
    const int fd = m_fd;
    m_fd = -1;
    return fd < 0 || _close(fd) == 0 ? std::error_code() : RuntimeError();
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
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        std::string path = TemporaryName(target);
        // CREATE_NEW refuses anything standing there, a link too since it is not followed.
        Handle file = Open(path, GENERIC_WRITE, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
        if (!file && GetLastError() == ERROR_FILE_EXISTS) continue;
        FileDescriptor fd = Descriptor(std::move(file), _O_WRONLY, error);
        if (!fd) return std::nullopt;
        return TemporaryFile{std::move(fd), std::move(path)};
    }
    error = std::make_error_code(std::errc::file_exists);
    return std::nullopt;
}

std::error_code WriteAll(int fd, std::string_view bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const auto chunk =
            static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, INT_MAX));
        const int n = _write(fd, bytes.data() + done, chunk);
        if (n < 0) return RuntimeError();
        if (n == 0) return std::make_error_code(std::errc::no_space_on_device);
        done += static_cast<std::size_t>(n);
    }
    return {};
}

std::error_code SyncToDisk(int fd) {
    return FlushFileBuffers(HandleOf(fd)) ? std::error_code() : SystemError();
}

// A rename with MOVEFILE_WRITE_THROUGH is on the disk when it returns; the folder has no
// handle to flush besides.
std::error_code SyncFolderOf(const std::string&) { return {}; }

// A file that is open cannot be replaced on Windows, not even when every handle on it shares
// deleting: another bench looking at the file, a virus scanner or an indexer holds it a moment.
// The rename is tried again for a while before that counts as a failure.
std::error_code RenameOver(const std::string& from, const std::string& to) {
    const std::wstring source = Wide(from), target = Wide(to);
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(source.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return {};
        }
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
            attempt == kRenameAttempts) {
            return {static_cast<int>(error), std::system_category()};
        }
        Sleep(kRenameRetryMs);
    }
}

void RemoveFile(const std::string& path) { DeleteFileW(Wide(path).c_str()); }

// A path made of a narrow string would be read in the ANSI code page: this one is UTF-16.
void MakeFoldersFor(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(Wide(path)).parent_path();
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
}

FileDescriptor OpenLockFile(const std::string& path, std::error_code& error) {
    return Descriptor(Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT),
                      _O_RDWR, error);
}

// The runtime moves to the end before each write on a descriptor opened for appending; the
// caller's lock keeps another writer out between the two.
FileDescriptor OpenForAppend(const std::string& path, std::error_code& error) {
    return Descriptor(Open(path, GENERIC_WRITE, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL),
                      _O_WRONLY | _O_APPEND, error);
}

std::error_code LockExclusive(int fd) {
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    return LockFileEx(HandleOf(fd), LOCKFILE_EXCLUSIVE_LOCK, 0, kLockLength, 0, &at)
               ? std::error_code()
               : SystemError();
}

void Unlock(int fd) {
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    UnlockFileEx(HandleOf(fd), 0, kLockLength, 0, &at);
}

std::optional<std::size_t> WriteOnce(int fd, std::string_view bytes, std::error_code& error) {
    const auto count = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), INT_MAX));
    const int written = _write(fd, bytes.data(), count);
    if (written < 0) {
        error = RuntimeError();
        return std::nullopt;
    }
    return static_cast<std::size_t>(written);
}

RegularReading ReadRegularFile(const std::string& path, std::size_t limit, std::string& text,
                               std::error_code& error) {
    // A folder opens only with backup semantics, and is then refused as no regular file.
    Handle file =
        Open(path, GENERIC_READ, OPEN_EXISTING,
             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
    if (!file) {
        const bool missing = IsMissing(GetLastError());
        error = SystemError();
        return missing ? RegularReading::Missing : RegularReading::Failed;
    }
    if (!IsPlainFile(file.get(), error)) {
        return error ? RegularReading::Failed : RegularReading::NotRegular;
    }
    // A file kept in the cloud is read through the filter that fetches it.
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(file.get(), &information) &&
        (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        file = Open(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
        if (!file) {
            error = SystemError();
            return RegularReading::Failed;
        }
    }
    char buffer[kRegularChunk];
    for (DWORD n = 1; n != 0;) {
        if (!ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
            error = SystemError();
            return RegularReading::Failed;
        }
        text.append(buffer, n);
        if (text.size() > limit) {
            error = std::make_error_code(std::errc::file_too_large);
            return RegularReading::Failed;
        }
    }
    return RegularReading::Whole;
}

std::error_code TruncateTo(int fd, long long length) {
    LARGE_INTEGER end{};
    end.QuadPart = length;
    const HANDLE file = HandleOf(fd);
    return SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file)
               ? std::error_code()
               : SystemError();
}

std::optional<long long> FileLength(int fd, std::error_code& error) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(HandleOf(fd), &size)) {
        error = SystemError();
        return std::nullopt;
    }
    return static_cast<long long>(size.QuadPart);
}

// An existing file or folder: where its links lead. A new file: its folder's real path and its
// name. A link to nothing cannot be followed here, and is an error.
std::optional<std::string> ResolveLinks(const std::string& path, std::error_code& error) {
    std::size_t lastPart = 0;
    const std::optional<std::wstring> full = FullPath(path, lastPart, error);
    if (!full) return std::nullopt;
    if (const Handle existing = OpenToLook(*full)) {
        const std::optional<std::wstring> real = FinalPath(existing.get(), error);
        return real ? std::optional(Narrow(*real)) : std::nullopt;
    }
    error = SystemError();
    // Only a name nothing stands under is new: a link to nothing is not.
    if (error.value() != ERROR_FILE_NOT_FOUND || lastPart == full->size() ||
        GetFileAttributesW(full->c_str()) != INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    error.clear();
    const Handle folder = OpenToLook(full->substr(0, lastPart));
    if (!folder || !IsFolder(folder.get())) {
        error = folder ? std::make_error_code(std::errc::not_a_directory) : SystemError();
        return std::nullopt;
    }
    std::optional<std::wstring> real = FinalPath(folder.get(), error);
    if (!real) return std::nullopt;
    if (!real->ends_with(L'\\')) *real += L'\\';
    return Narrow(*real + full->substr(lastPart));
}

bool IsRegularFile(const std::string& path, bool& exists, std::error_code& error) {
    const Handle file = Open(path, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    exists = static_cast<bool>(file);
    if (!exists) {
        if (!IsMissing(GetLastError())) error = SystemError();
        return false;
    }
    return IsPlainFile(file.get(), error);
}

// Devices (\\.\COM3, or COM3 that stands for it) are compared by name: opened to look at them,
// a port would be taken from whoever holds it. Files by volume and index.
bool SameFile(const std::string& a, const std::string& b) {
    std::size_t lastPart = 0;
    std::error_code error;
    const std::optional<std::wstring> first = FullPath(a, lastPart, error);
    const std::optional<std::wstring> second = FullPath(b, lastPart, error);
    if (!first || !second) return false;
    const bool firstDevice = first->starts_with(kDevicePrefix);
    if (firstDevice || second->starts_with(kDevicePrefix)) {
        return firstDevice && EqualNoCase(*first, *second);
    }
    const Handle one = OpenToLook(*first), other = OpenToLook(*second);
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return one && other && GetFileInformationByHandle(one.get(), &x) &&
           GetFileInformationByHandle(other.get(), &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

// A pipe is read as it fills, with a look at stopped between; a file or a device (NUL) is read
// straight through, since Windows has no poll for those. A folder does not open.
Reading ReadWholeFile(const std::string& path, std::size_t limit,
                      const std::function<bool()>& stopped, std::string& text) {
    const Handle file = Open(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (!file) return Reading::Failed;
    if (GetFileType(file.get()) == FILE_TYPE_PIPE)
        return ReadPipe(file.get(), limit, stopped, text);
    for (;;) {
        if (stopped && stopped()) return Reading::Stopped;
        const std::size_t old = text.size();
        text.resize(old + kReadChunk);
        DWORD got = 0;
        const BOOL read = ReadFile(file.get(), text.data() + old, kReadChunk, &got, nullptr);
        text.resize(old + got);
        if (!read) return GetLastError() == ERROR_BROKEN_PIPE ? Reading::Whole : Reading::Failed;
        if (got == 0) return Reading::Whole;
        if (text.size() > limit) return Reading::TooLarge;
    }
}

std::optional<std::string> EnvironmentValue(const std::string& name) {
    const wchar_t* value = _wgetenv(Wide(name).c_str());
    if (value == nullptr) return std::nullopt;
    return Narrow(value);
}

}  // namespace tovrel
