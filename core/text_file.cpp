#include "core/text_file.h"

#include <string_view>

#include "core/os_files.h"
#include "core/user_texts.h"

namespace tovrel {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Writes the content into a file of its own beside path; its name, or empty when that failed.
std::string WrittenAside(const std::string& path, std::string_view content) {
    std::error_code error;
    std::optional<TemporaryFile> temporary = CreateTemporaryBeside(path, error);
    if (!temporary) return {};
    if (WriteAll(temporary->fd.get(), content) || temporary->fd.Close()) {
        RemoveFile(temporary->path);
        return {};
    }
    return temporary->path;
}

}  // namespace

std::vector<std::string> SplitTextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool lastPiece = end == std::string::npos;
        if (lastPiece) end = text.size();
        std::size_t stop = end;
        if (!lastPiece && stop > start && text[stop - 1] == '\r') --stop;
        lines.emplace_back(text, start, stop - start);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> TextLines(std::string text) {
    // Editors that save UTF-8 may put a byte-order mark first; it is not part of any field,
    // and left in place it would turn the first data-flash address into 0.
    if (text.starts_with(kByteOrderMark)) text.erase(0, kByteOrderMark.size());
    return SplitTextLines(text);
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path) {
    std::string text;
    if (ReadWholeFile(path, kMaxFileBytes, {}, text) != Reading::Whole) return std::nullopt;
    return TextLines(std::move(text));
}

std::optional<TextFile> ReadTextFile(Host& host, const std::string& path) {
    std::string text;
    // A stop ends the wait for a FIFO's writer (or a device's bytes); the run then ends as
    // stopped, without a message about the file.
    switch (ReadWholeFile(
        path, kMaxFileBytes, [&host] { return host.StopSignal() != 0; }, text)) {
        case Reading::Whole:
            return TextFile{path, TextLines(std::move(text))};
        case Reading::Failed:
            ShowMessage(host, CannotOpenFileMessage(path));
            break;
        case Reading::TooLarge:
            ShowMessage(host, FileTooLargeMessage(path));
            break;
        case Reading::Stopped:
            break;
    }
    return std::nullopt;
}

std::string_view TextField(std::string_view line) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    line.remove_prefix(start);
    return line.substr(0, line.find(','));
}

std::size_t ContentLineCount(const std::vector<std::string>& lines) {
    std::size_t count = lines.size();
    while (count > 0 && lines[count - 1].empty()) --count;
    return count;
}

bool WriteFileWhole(Host& host, const std::string& path, std::string_view content) {
    const std::string temporary = WrittenAside(path, content);
    if (!temporary.empty()) {
        if (!RenameOver(temporary, path)) return true;
        RemoveFile(temporary);
    }
    ShowMessage(host, CannotWriteFileMessage(path));
    return false;
}

}  // namespace tovrel
