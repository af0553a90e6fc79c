#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace tovrel {

// The calls on files that differ from one system to another, each in one small function, so
// that a port to another system replaces these and nothing around them.

// An open file descriptor, closed when it goes.
class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    // Closes it now, with the error a late write may report only here.
    std::error_code Close();

  private:
    int m_fd = -1;
};

// A file of our own beside target, to be renamed over it: in target's folder, under a name
// nobody can guess ("<name>.<random>.tmp"), created only if nothing (no file, no symbolic
// link) stands there yet and never through a link, so a link planted in a shared folder
// cannot turn the write into one over another file.
struct TemporaryFile {
    FileDescriptor fd;
    std::string path;
};
std::optional<TemporaryFile> CreateTemporaryBeside(const std::string& target,
                                                   std::error_code& error);

// Writes every byte, again after an interruption; the error when they did not all go out.
std::error_code WriteAll(int fd, std::string_view bytes);
// The file's bytes on the disk.
std::error_code SyncToDisk(int fd);
// The folder's entries on the disk (a rename in it lasts).
std::error_code SyncFolderOf(const std::string& path);
// from takes the name to, in one step: a reader sees the old file or the new one.
std::error_code RenameOver(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);
// Makes the folders on the way to path that are missing, as far as it can: what it could not
// make shows when the file is used.
void MakeFoldersFor(const std::string& path);

// A file whose lock the processes that share another file take: made when missing, opened for
// reading and writing, never through a symbolic link planted under its name.
FileDescriptor OpenLockFile(const std::string& path, std::error_code& error);
// Opens path for appending, made when missing: each write goes to the file's end.
FileDescriptor OpenForAppend(const std::string& path, std::error_code& error);
// Waits for the exclusive lock on the whole file, again after an interruption. It lasts until
// Unlock or until the descriptor is closed.
std::error_code LockExclusive(int fd);
void Unlock(int fd);

// One write of the bytes, again after an interruption; how many went, none with the error.
std::optional<std::size_t> WriteOnce(int fd, std::string_view bytes, std::error_code& error);

// Reads a regular file whole into text, never through a symbolic link and never waiting on a
// FIFO put in its place. Failed, with the error, also for a file beyond limit bytes.
enum class RegularReading { Whole, Missing, NotRegular, Failed };
RegularReading ReadRegularFile(const std::string& path, std::size_t limit, std::string& text,
                               std::error_code& error);

// Makes the file length bytes long again, dropping what a failed write left at its end.
std::error_code TruncateTo(int fd, long long length);
// The file's length now.
std::optional<long long> FileLength(int fd, std::error_code& error);

// What path leads to with every symbolic link followed, as an absolute path; also for a link
// to a file that does not exist yet (a new file in an existing folder). Error for a loop of
// links or a folder on the way that is missing.
std::optional<std::string> ResolveLinks(const std::string& path, std::error_code& error);
// Whether an existing path is a regular file (links followed); false with no error for a path
// that does not exist.
bool IsRegularFile(const std::string& path, bool& exists, std::error_code& error);
// Whether two paths lead to the same file or device (links followed); false when either does
// not exist.
bool SameFile(const std::string& a, const std::string& b);

// Reads a whole file, a pipe, a FIFO or a device as well as a plain file, and never blocks
// beyond a look at stopped every tenth of a second: a FIFO nobody writes to yet waits for its
// writer until stopped answers true.
enum class Reading { Whole, Failed, TooLarge, Stopped };
Reading ReadWholeFile(const std::string& path, std::size_t limit,
                      const std::function<bool()>& stopped, std::string& text);

// An environment variable's value in UTF-8 (on Windows read as the system keeps it, in UTF-16,
// not through the ANSI code page), or nothing when it is not set.
std::optional<std::string> EnvironmentValue(const std::string& name);

}  // namespace tovrel
