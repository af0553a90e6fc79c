#include "image/hex_record.h"

#include "core/bytes.h"

#include "core/user_texts.h"
#include "image/text_fields.h"
#include "core/text_file.h"

namespace tovrel {

std::size_t CarriedDataCount(std::string_view field) {
    return field.size() < kRecordOverheadChars ? 0 : (field.size() - kRecordOverheadChars) / 2;
}

bool FitsLoaderFrames(std::string_view field) {
    return field.size() >= kRecordOverheadChars && CarriedDataCount(field) <= kMaxRecordData;
}

std::optional<HexRecord> ParseRecordLine(std::string_view field) {
    if (!FitsLoaderFrames(field)) return std::nullopt;
    HexRecord record;
    record.address = AddressOf(HexField(field, kAddressHighPos), HexField(field, kAddressLowPos));
    const std::size_t count = CarriedDataCount(field);
    record.data.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        record.data.push_back(HexField(field, kFirstDataPos + 2 * k));
    }
    return record;
}

std::optional<std::vector<std::string>> ReadHexFields(const std::string& path,
                                                      std::size_t* linesRead) {
    auto lines = ReadTextLines(path);
    if (!lines) return std::nullopt;
    if (linesRead) *linesRead = lines->size();
    for (std::string& line : *lines) line = std::string(TextField(line));
    lines->resize(ContentLineCount(*lines));
    return lines;
}

std::optional<std::vector<RecordLine>> LoadRecordLines(Host& host, const std::string& path,
                                                       std::uint32_t addressEnd,
                                                       const UserMessage& outsideMessage,
                                                       std::size_t* linesRead) {
    const auto fields = ReadHexFields(path, linesRead);
    if (!fields) {
        ShowMessage(host, CannotOpenFileMessage(path));
        return std::nullopt;
    }
    std::vector<RecordLine> lines;
    lines.reserve(fields->size());
    for (const std::string& field : *fields) {
        RecordLine line;
        line.isEndRecord = field == kEndRecord;
        if (!line.isEndRecord) {
            auto record = ParseRecordLine(field);
            if (!record) {
                ShowMessage(host, InvalidHexFileMessage());
                return std::nullopt;
            }
            if (record->address + record->data.size() > addressEnd) {
                ShowMessage(host, outsideMessage);
                return std::nullopt;
            }
            line.record = std::move(*record);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace tovrel
