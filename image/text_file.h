#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "link/host.h"

namespace tovrel {

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

// Reads the whole file once, a pipe or a device as well as a plain file. Shows a message
// naming the file and answers empty when it cannot be read or holds more than kMaxFileBytes.
std::optional<TextFile> ReadTextFile(Host& host, const std::string& path);

// The number of lines up to and including the last non-empty one: empty lines at the very
// end of a file are not lines of its content.
std::size_t ContentLineCount(const std::vector<std::string>& lines);

}  // namespace tovrel
