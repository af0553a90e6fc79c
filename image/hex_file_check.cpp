#include "image/hex_file_check.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "core/user_texts.h"
#include "image/hex_record.h"
#include "image/text_fields.h"

namespace tovrel {
namespace {

// The whole-file checksum adds the first 21 two-character fields of each line.
constexpr std::size_t kChecksumFieldsPerLine = 21;

// Runs the three record checks on one line; each failed check shows its message at once and
// the following checks still run. A line that passes them is refused still when its record
// cannot be placed (an extended address that is not 0, a type beyond Intel HEX).
bool CheckRecordLine(std::string_view line, std::int32_t codeSize, Host& host,
                     const std::string& path) {
    bool ok = true;
    if (line.empty() || line.front() != kStartMark) {
        ShowMessage(host, InvalidHexFileMessage());
        ok = false;
    }
    const std::uint32_t count = HexField(line, kCountPos);
    const std::uint32_t high = HexField(line, kAddressHighPos);
    const std::uint32_t low = HexField(line, kAddressLowPos);
    if (static_cast<std::int64_t>(AddressOf(high, low) + count) > codeSize) {
        ShowMessage(host, HexFileTooBigMessage());
        ok = false;
    }
    std::uint32_t sum = count + high + low + HexField(line, kTypePos);
    for (std::size_t k = 0; k <= count; ++k) {  // count data fields, then the record checksum
        sum += HexField(line, kFirstDataPos + 2 * k);
    }
    // The downloads take the data count from the line's length. A line whose length tells
    // another count than its count field, or that no frame can carry, would reach the device
    // as something other than what was checked here. A line already refused needs no second
    // message for that.
    const bool carried = HasRecordShape(line) && CarriedDataCount(line) == count;
    if (sum % kByteRange != 0 || (ok && !carried)) {
        ShowMessage(host, InvalidHexFileMessage());
        ok = false;
    }
    if (const auto refusal = RecordUseMessage(UseOfRecord(line), path); ok && refusal) {
        ShowMessage(host, *refusal);
        ok = false;
    }
    return ok;
}

// A data record that carries at least one byte: a file without one would erase the device
// for nothing.
bool CarriesData(std::string_view line) {
    return line != kEndRecord && HexField(line, kTypePos) == kDataRecordType &&
           CarriedDataCount(line) > 0;
}

std::uint32_t WholeFileChecksum(const std::vector<std::string>& lines, std::size_t lineCount) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < lineCount; ++i) {
        std::string text;
        for (char c : TextField(lines[i])) {
            if (c != kStartMark) text += c;
        }
        for (std::size_t f = 0; f < kChecksumFieldsPerLine; ++f) sum += HexField(text, 1 + 2 * f);
    }
    return sum;
}

}  // namespace

bool HexFileCheckFunction(Settings& settings, Host& host, const TextFile& file,
                          bool compareChecksum) {
    // Every record is checked, the last one too when it carries data: the downloads write it.
    // After the first failing line no later line is checked.
    bool result = true;
    bool data = false;
    const std::vector<std::string> records = RecordFields(file);
    for (std::size_t i = 0; i < records.size() && result; ++i) {
        if (records[i] == kEndRecord) continue;
        result = CheckRecordLine(records[i], settings.CodeSize, host, file.path);
        data = data || CarriesData(records[i]);
    }
    // An empty file, or one of address and end records only, is no program.
    if (result && !data) {
        ShowMessage(host, InvalidHexFileMessage());
        result = false;
    }

    // The line whose reading reaches the end of the file has never been added; the expected
    // checksums users hold depend on that.
    const std::size_t summedLines = file.lines.empty() ? 0 : file.lines.size() - 1;
    settings.HexFileChecksum =
        static_cast<std::int32_t>(WholeFileChecksum(file.lines, summedLines));

    settings.ChecksumMismatch =
        compareChecksum && settings.HexFileChecksum != settings.ExpectedChecksum;
    if (settings.ChecksumMismatch) {
        result = false;
        ShowMessage(host, ChecksumMismatchMessage());
    }
    return result;
}

}  // namespace tovrel
