#include "core/text_file.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>

#include "core/user_texts.h"

namespace tovrel {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

constexpr const char* kTemporarySuffix = ".tmp";
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

enum class Reading { Whole, Failed, TooLarge };

// stdio rather than a stream: a folder opens on some systems and only the read fails, and
// ferror tells that apart from an empty file. A pipe gives its bytes until the writer closes.
Reading ReadWholeFile(const std::string& path, std::string& text) {
    if (path.find('\0') != std::string::npos) return Reading::Failed;  // names no file
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return Reading::Failed;
    for (;;) {
        const std::size_t old = text.size();
        text.resize(old + kReadChunk);
        const std::size_t got = std::fread(text.data() + old, 1, kReadChunk, file.get());
        text.resize(old + got);
        if (text.size() > kMaxFileBytes) return Reading::TooLarge;
        if (got < kReadChunk) break;
    }
    return std::ferror(file.get()) ? Reading::Failed : Reading::Whole;
}

// Writes and closes the file, answering whether every byte reached it.
bool WriteAll(const std::string& path, std::string_view content) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    const bool written =
        std::fwrite(content.data(), 1, content.size(), file.get()) == content.size();
    return std::fclose(file.release()) == 0 && written;
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
    if (ReadWholeFile(path, text) != Reading::Whole) return std::nullopt;
    return TextLines(std::move(text));
}

std::optional<TextFile> ReadTextFile(Host& host, const std::string& path) {
    std::string text;
    switch (ReadWholeFile(path, text)) {
        case Reading::Whole:
            return TextFile{path, TextLines(std::move(text))};
        case Reading::Failed:
            ShowMessage(host, CannotOpenFileMessage(path));
            break;
        case Reading::TooLarge:
            ShowMessage(host, FileTooLargeMessage(path));
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
    const std::string temporary = path + kTemporarySuffix;
    std::error_code error;
    if (WriteAll(temporary, content)) {
        std::filesystem::rename(temporary, path, error);
        if (!error) return true;
    }
    std::filesystem::remove(temporary, error);
    ShowMessage(host, CannotWriteFileMessage(path));
    return false;
}

}  // namespace tovrel
