#include "testbed/sim_files.h"

#include <fstream>
#include <sstream>

namespace tovrel::testbed {

std::string Hex(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t byte : bytes) text += {kDigits[byte >> 4], kDigits[byte & 0xF]};
    return text;
}

Bytes BytesFromHex(const std::string& digits) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::vector<TraceEntry> ReadTrace(const std::string& path, std::vector<std::string>* notes) {
    std::vector<TraceEntry> entries;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with('#') && notes != nullptr) notes->push_back(line);
        std::istringstream fields(line);
        TraceEntry entry;
        std::string direction, digits;
        if (line.starts_with('#') ||
            !(fields >> entry.seconds >> direction >> digits >> entry.kind >> entry.baud)) {
            continue;
        }
        entry.received = direction == "RX";
        entry.bytes = BytesFromHex(digits);
        entries.push_back(std::move(entry));
    }
    return entries;
}

// Header lines "pellicon-sim state 1", "code-size N", "data-size N", "security HH",
// "bootload HH", an empty line, then N bytes of code flash and N bytes of data flash.
std::optional<SimState> ReadSimState(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic, codeKey, dataKey, securityKey, bootloadKey, blank;
    std::size_t codeSize = 0, dataSize = 0;
    unsigned security = 0, bootload = 0;
    std::getline(in, magic);
    in >> codeKey >> codeSize >> dataKey >> dataSize >> securityKey >> std::hex >> security >>
        bootloadKey >> bootload;
    in.ignore(1);  // the end of the bootload line
    std::getline(in, blank);
    if (!in || magic != "pellicon-sim state 1" || codeKey != "code-size" || !blank.empty()) {
        return std::nullopt;
    }
    SimState state{Bytes(codeSize), Bytes(dataSize), static_cast<std::uint8_t>(security),
                   static_cast<std::uint8_t>(bootload)};
    in.read(reinterpret_cast<char*>(state.code.data()), static_cast<std::streamsize>(codeSize));
    in.read(reinterpret_cast<char*>(state.data.data()), static_cast<std::streamsize>(dataSize));
    if (!in) return std::nullopt;
    return state;
}

}  // namespace tovrel::testbed
