#include "flash/verify_files.h"

#include <algorithm>
#include <array>

#include "core/bytes.h"
#include "core/text_file.h"
#include "image/hex_record.h"

namespace tovrel {
namespace {

constexpr std::size_t kRecordData = 16;
constexpr std::uint8_t kRecordCount = 0x10;
// Count, address high, address low and type before the data; the checksum after it.
constexpr std::size_t kRecordHeaderBytes = 4;
constexpr std::size_t kRecordBytes = kRecordHeaderBytes + kRecordData + 1;
constexpr std::uint8_t kDataRecordType = 0x00;
// ":", two digits per record byte, CR LF.
constexpr std::size_t kRecordLineSize = 1 + 2 * kRecordBytes + 2;

#ifdef _WIN32
constexpr const char* kFolderSeparators = "\\/";
#else
constexpr const char* kFolderSeparators = "/";
#endif

void AppendRecord(std::string& text, std::uint32_t address, const std::uint8_t* data) {
    std::array<std::uint8_t, kRecordBytes> record{kRecordCount, HighByte(address), LowByte(address),
                                                  kDataRecordType};
    std::copy(data, data + kRecordData, record.begin() + kRecordHeaderBytes);
    record.back() = ChecksumByte(std::span(record).first(kRecordBytes - 1));
    text += ':';
    for (std::uint8_t b : record) text += ToHex(b);
    text += kLineEnd;
}

}  // namespace

std::string FolderPart(const std::string& path) {
    const std::size_t last = path.find_last_of(kFolderSeparators);
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string VerifyHexText(const CodeImage& readBack, const VerifiedPages& verified) {
    std::string text;
    text.reserve(kPageCount * (kPageSize / kRecordData) * kRecordLineSize + kEndRecord.size() + 2);
    for (std::size_t page = 0; page < kPageCount; ++page) {
        const auto bytes = readBack.Page(page);
        for (std::size_t offset = 0; offset < kPageSize; offset += kRecordData) {
            if (verified[page]) {
                AppendRecord(text, static_cast<std::uint32_t>(page * kPageSize + offset),
                             bytes.data() + offset);
            } else {
                // Never verified: every byte of the record, address and checksum included,
                // stays FF.
                text += ':';
                text.append(2 * kRecordBytes, 'F');
                text += kLineEnd;
            }
        }
    }
    text += kEndRecord;
    text += kLineEnd;
    return text;
}

std::string ReadBackHexText(const CodeImage& image, std::size_t pageCount) {
    std::string text;
    for (std::size_t page = 0; page < std::min(pageCount, kPageCount); ++page) {
        // An erased page is what an empty download leaves: nothing to write back.
        if (image.PageIsEmpty(page)) continue;
        for (std::size_t offset = 0; offset < kPageSize; offset += kRecordData) {
            AppendRecord(text, static_cast<std::uint32_t>(page * kPageSize + offset),
                         image.Page(page).data() + offset);
        }
    }
    text += kEndRecord;
    text += kLineEnd;
    return text;
}

}  // namespace tovrel
