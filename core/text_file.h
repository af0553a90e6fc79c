#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/host.h"

namespace tovrel {

// CR LF: the line end of the status log, of the files the program writes and of its messages.
inline constexpr const char* kLineEnd = "\r\n";

// The lines of a text file as a line-by-line reader sees them: "\n" ends a line and a "\r"
// before it is dropped, so CR LF and LF files read the same; the end of the file right
// after a line end does not start another line ("A\r\nB\r\n" is the two lines A and B).
// The whole file is read at once; a leading byte-order mark is skipped. Empty when the file
// cannot be opened or read (a path with a NUL byte names no file).
std::optional<std::vector<std::string>> ReadTextLines(const std::string& path);

// Splits text that is already in memory by the same rule.
std::vector<std::string> SplitTextLines(const std::string& text);

// As ReadTextLines, but shows the "cannot open" message naming the path on failure.
std::optional<std::vector<std::string>> ReadTextLinesOrWarn(Host& host, const std::string& path);

// A line read as one text field: leading blanks are dropped and a comma ends the field.
std::string_view TextField(std::string_view line);

// Replaces the file at path with content as a whole: the content goes to a file beside it
// that then takes its name, so a reader never sees a half-written file or a stale tail.
// Shows a message naming the path and answers false when that fails.
bool WriteFileWhole(Host& host, const std::string& path, std::string_view content);

// The number of lines up to and including the last non-empty one: empty lines at the very
// end of a file are not lines of its content.
std::size_t ContentLineCount(const std::vector<std::string>& lines);

}  // namespace tovrel
