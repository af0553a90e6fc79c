#include "image/text_file.h"

#include <cstdio>
#include <memory>
#include <string_view>

#include "image/messages.h"

namespace tovrel {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

enum class Reading { Whole, Failed, TooLarge };

// stdio rather than a stream: a folder opens on some systems and only the read fails, and
// ferror tells that apart from an empty file. A pipe gives its bytes until the writer closes.
Reading ReadWholeFile(const std::string& path, std::string& text) {
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

std::size_t ContentLineCount(const std::vector<std::string>& lines) {
    std::size_t count = lines.size();
    while (count > 0 && lines[count - 1].empty()) --count;
    return count;
}

}  // namespace tovrel
