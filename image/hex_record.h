#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/host.h"
#include "core/text_file.h"
#include "core/user_texts.h"

namespace tovrel {

// Only this exact text ends the records; no record type is interpreted otherwise.
inline constexpr std::string_view kEndRecord = ":00000001FF";
// ":", count, address, type and checksum: the characters of a record around its data.
inline constexpr std::size_t kRecordOverheadChars = 11;
// The one-byte length of a 'W' frame counts four bytes besides the data.
inline constexpr std::size_t kMaxRecordData = 251;
// Records carry 16-bit addresses.
inline constexpr std::uint32_t kAddressSpaceEnd = 0x10000;
// Every record line starts with this mark.
inline constexpr char kStartMark = ':';
// Where a record line's two-character fields start, counted from 1 at the ':'.
inline constexpr std::size_t kCountPos = 2;
inline constexpr std::size_t kAddressHighPos = 4;
inline constexpr std::size_t kAddressLowPos = 6;
inline constexpr std::size_t kTypePos = 8;
inline constexpr std::size_t kFirstDataPos = 10;

// The address and data a download takes from a record line.
struct HexRecord {
    std::uint32_t address = 0;
    std::vector<std::uint8_t> data;
};

// The data-byte count a download reads from a line: (length - 11) / 2, fraction dropped.
std::size_t CarriedDataCount(std::string_view field);

// True when a frame can carry the line as the downloads read it: at least 11 characters and
// at most 251 data bytes.
bool FitsLoaderFrames(std::string_view field);

// Address (characters 4-7) and data (two characters each from character 10); the count,
// type and checksum fields are not used. Empty for a line that does not fit the frames.
std::optional<HexRecord> ParseRecordLine(std::string_view field);

// One line of a download file as the downloads see it.
struct RecordLine {
    bool isEndRecord = false;
    HexRecord record;
};

// The lines of a download file that the check and the downloads use, as text fields: every
// line up to the last non-empty one, and that last one only when it is a record carrying data
// (":" first, at least one data byte by its length). A last line that is no such record, the
// end-of-file byte 1A hex that older tools put after the end record say, is not content.
std::vector<std::string> RecordFields(const TextFile& file);

// Parses every line RecordFields gives. Shows a message and answers empty when a line does
// not fit the frames ("Invalid Hex File") or a record reaches addressEnd or beyond
// (outsideMessage): nothing of such a file may reach the device.
std::optional<std::vector<RecordLine>> LoadRecordLines(Host& host, const TextFile& file,
                                                       std::uint32_t addressEnd,
                                                       const UserMessage& outsideMessage);

}  // namespace tovrel
