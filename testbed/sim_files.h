#pragma once

// What the simulated device writes down: its --trace file, line by line, and its --state
// file, the memory of the device.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovrel::testbed {

using Bytes = std::vector<std::uint8_t>;

std::string Hex(const Bytes& bytes);            // upper-case digits, no blanks
Bytes BytesFromHex(const std::string& digits);  // two digits a byte

// One trace line "<seconds> <RX|TX> <bytes in hex> <kind> <device baud>".
struct TraceEntry {
    double seconds = 0;
    bool received = true;  // RX: from the host to the device
    Bytes bytes;
    std::string kind;  // command letter, ID (reset message), ? (discarded), STRAY
    long baud = 0;     // the device's rate at that moment
};

// The message lines of a trace in order; the note lines ("# ...") go to notes when given.
std::vector<TraceEntry> ReadTrace(const std::string& path,
                                  std::vector<std::string>* notes = nullptr);

struct SimState {
    Bytes code;
    Bytes data;  // four-byte page n at offset 4 * n
    std::uint8_t security = 0xFF;
    std::uint8_t bootload = 0xFF;
};

// The memory a --state file holds; nullopt when it is missing or malformed.
std::optional<SimState> ReadSimState(const std::string& path);

}  // namespace tovrel::testbed
