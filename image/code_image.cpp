#include "image/code_image.h"

#include <algorithm>

#include "core/user_texts.h"

namespace tovrel {

bool CodeImage::PageIsEmpty(std::size_t page) const {
    const auto bytes = Page(page);
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == kErasedByte; });
}

void CodeImage::Place(const HexRecord& record) {
    std::copy(record.data.begin(), record.data.end(), m_bytes.begin() + record.address);
}

bool LoadCodeImage(Host& host, const TextFile& file, CodeImage& image) {
    const auto lines =
        LoadRecordLines(host, file, kCodeImageSize, OutsideCodeImageMessage(file.path));
    if (!lines) return false;
    for (const RecordLine& line : *lines) {
        if (line.Writes()) image.Place(line.record);
    }
    return true;
}

}  // namespace tovrel
