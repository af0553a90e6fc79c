#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/host.h"

namespace tovrel {

// CR LF: the line end of the status log, of the files the program writes and of its messages.
inline constexpr const char* kLineEnd = "\r\n";

// One reading of a download or data-flash file: the name it was read under and its lines.
// Every step of a run that needs the file works on this one reading: a pipe or /dev/stdin
// can be read only once, and a file changed after its check must not reach the device.
struct TextFile {
    std::string path;
    std::vector<std::string> lines;
};

// Far beyond any download file (a full code flash as Intel HEX is under 200 KB): /dev/zero
// or a huge sparse file ends as a refused file instead of filling the memory.
inline constexpr std::size_t kMaxFileBytes = 64 * 1024 * 1024;

// The lines of a text file as a line-by-line reader sees them: "\n" ends a line and a "\r"
// before it is dropped, so CR LF and LF files read the same; the end of the file right
// after a line end does not start another line ("A\r\nB\r\n" is the two lines A and B).
std::vector<std::string> SplitTextLines(const std::string& text);

// The lines of a whole file's text: a leading byte-order mark skipped, then split as above.
std::vector<std::string> TextLines(std::string text);

// The lines of a whole file read as ReadTextFile reads it, for a caller with a message of its
// own; empty when it cannot be read (a path with a NUL byte names no file) or is too large.
std::optional<std::vector<std::string>> ReadTextLines(const std::string& path);

// Reads the whole file once, a pipe or a device as well as a plain file. Shows a message
// naming the file and answers empty when it cannot be read or holds more than kMaxFileBytes.
// A FIFO without a writer (or a device without bytes) is waited for only until the host's
// stop signal: then the answer is empty, without a message.
std::optional<TextFile> ReadTextFile(Host& host, const std::string& path);

// A line read as one text field: leading blanks are dropped and a comma ends the field.
std::string_view TextField(std::string_view line);

// Replaces the file at path with content as a whole: the content goes to a new file of its own
// beside it (never through a link planted there) that then takes its name, so a reader never
// sees a half-written file or a stale tail.
// Shows a message naming the path and answers false when that fails.
bool WriteFileWhole(Host& host, const std::string& path, std::string_view content);

// The number of lines up to and including the last non-empty one: empty lines at the very
// end of a file are not lines of its content.
std::size_t ContentLineCount(const std::vector<std::string>& lines);

}  // namespace tovrel
