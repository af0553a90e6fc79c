#include "image/hex_record.h"

#include "core/bytes.h"
#include "core/text_file.h"
#include "core/user_texts.h"
#include "image/text_fields.h"

namespace tovrel {

std::size_t CarriedDataCount(std::string_view field) {
    return field.size() < kRecordOverheadChars ? 0 : (field.size() - kRecordOverheadChars) / 2;
}

bool HasRecordShape(std::string_view field) {
    return field.size() >= kRecordOverheadChars && CarriedDataCount(field) <= kMaxRecordData;
}

std::optional<HexRecord> ParseRecordLine(std::string_view field) {
    if (!HasRecordShape(field)) return std::nullopt;
    HexRecord record;
    record.address = AddressOf(HexField(field, kAddressHighPos), HexField(field, kAddressLowPos));
    const std::size_t count = CarriedDataCount(field);
    record.data.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        record.data.push_back(HexField(field, kFirstDataPos + 2 * k));
    }
    return record;
}

RecordUse UseOfRecord(std::string_view field) {
    switch (HexField(field, kTypePos)) {
        case kExtendedSegmentAddressType:
        case kExtendedLinearAddressType:
            for (std::size_t k = 0; k < CarriedDataCount(field); ++k) {
                if (HexField(field, kFirstDataPos + 2 * k) != 0) return RecordUse::ExtendedAddress;
            }
            return RecordUse::Nothing;
        case kStartSegmentAddressType:
        case kStartLinearAddressType:
            return RecordUse::Nothing;
        default:
            return HexField(field, kTypePos) > kStartLinearAddressType ? RecordUse::UnknownType
                                                                       : RecordUse::Write;
    }
}

std::optional<UserMessage> RecordUseMessage(RecordUse use, const std::string& path) {
    if (use == RecordUse::ExtendedAddress) return ExtendedAddressMessage(path);
    if (use == RecordUse::UnknownType) return UnknownRecordTypeMessage(path);
    return std::nullopt;
}

std::vector<std::string> RecordFields(const TextFile& file) {
    std::vector<std::string> fields;
    fields.reserve(file.lines.size());
    for (const std::string& line : file.lines) fields.emplace_back(TextField(line));
    fields.resize(ContentLineCount(fields));
    if (!fields.empty()) {
        const std::string& last = fields.back();
        if (!last.starts_with(kStartMark) || CarriedDataCount(last) == 0) fields.pop_back();
    }
    return fields;
}

std::optional<std::vector<RecordLine>> LoadRecordLines(Host& host, const TextFile& file,
                                                       std::uint32_t addressEnd,
                                                       const UserMessage& outsideMessage) {
    const std::vector<std::string> fields = RecordFields(file);
    std::vector<RecordLine> lines;
    lines.reserve(fields.size());
    for (const std::string& field : fields) {
        RecordLine line;
        line.isEndRecord = field == kEndRecord;
        if (!line.isEndRecord) {
            auto record = ParseRecordLine(field);
            if (!record) {
                ShowMessage(host, InvalidHexFileMessage());
                return std::nullopt;
            }
            const RecordUse use = UseOfRecord(field);
            if (const std::optional<UserMessage> refusal = RecordUseMessage(use, file.path)) {
                ShowMessage(host, *refusal);
                return std::nullopt;
            }
            line.writesNothing = use == RecordUse::Nothing;
            if (line.Writes() && record->address + record->data.size() > addressEnd) {
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
