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
// A record's one-byte count: the most data one record line carries.
inline constexpr std::size_t kMaxRecordData = 255;
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

// The record types besides data (00) and the end (01). The address records place nothing:
// the devices of this family have 16-bit code addresses, so an extended address (02, 04) of 0
// changes nothing and a start address (03, 05) is the programmer's business, not the flash's.
inline constexpr std::uint8_t kDataRecordType = 0x00;
inline constexpr std::uint8_t kExtendedSegmentAddressType = 0x02;
inline constexpr std::uint8_t kStartSegmentAddressType = 0x03;
inline constexpr std::uint8_t kExtendedLinearAddressType = 0x04;
inline constexpr std::uint8_t kStartLinearAddressType = 0x05;

// The data-byte count a download reads from a line: (length - 11) / 2, fraction dropped.
std::size_t CarriedDataCount(std::string_view field);

// True when the line has a record's shape as the downloads read it: at least 11 characters
// and at most 255 data bytes.
bool HasRecordShape(std::string_view field);

// Address (characters 4-7) and data (two characters each from character 10); the count,
// type and checksum fields are not used. Empty for a line without a record's shape.
std::optional<HexRecord> ParseRecordLine(std::string_view field);

// What a download does with a line of a given record type.
enum class RecordUse {
    Write,            // data, and whatever else is no address record: written as data
    Nothing,          // an extended address of 0, a start address: nothing is written
    ExtendedAddress,  // an extended address that is not 0: the file cannot be placed
    UnknownType,      // a type Intel HEX does not define (above 05): no download file
};
RecordUse UseOfRecord(std::string_view field);

// The message that refuses a file for a line of that use; none for Write and Nothing.
std::optional<UserMessage> RecordUseMessage(RecordUse use, const std::string& path);

// One line of a download file as the downloads see it.
struct RecordLine {
    bool isEndRecord = false;
    bool writesNothing = false;  // an address record
    HexRecord record;
    bool Writes() const { return !isEndRecord && !writesNothing; }
};

// The lines of a download file that the check and the downloads use, as text fields: every
// line up to the last non-empty one, and that last one only when it is a record carrying data
// (":" first, at least one data byte by its length). A last line that is no such record, the
// end-of-file byte 1A hex that older tools put after the end record say, is not content.
std::vector<std::string> RecordFields(const TextFile& file);

// Parses every line RecordFields gives. Shows a message and answers empty when a line has no
// record's shape ("Invalid Hex File"), a record cannot be placed (RecordUseMessage) or one
// reaches addressEnd or beyond (outsideMessage): nothing of such a file may reach the device.
std::optional<std::vector<RecordLine>> LoadRecordLines(Host& host, const TextFile& file,
                                                       std::uint32_t addressEnd,
                                                       const UserMessage& outsideMessage);

}  // namespace tovrel
