#include "bench/bench_inputs.h"

#include <cstdio>
#include <fstream>

namespace tovrel::bench {
namespace {

constexpr std::uint32_t kSeed = 0x7A3C9E15;
constexpr const char* kLineEnd = "\r\n";
constexpr const char* kEndRecord = ":00000001FF";
constexpr std::size_t kRecord16 = 16;
constexpr std::size_t kRecord32 = 32;
constexpr std::size_t kDataBytesPerLine = 4;
constexpr std::size_t kSparseRecordBytes = 16;
constexpr unsigned kByteMask = 0xFF;
constexpr unsigned kByteModulus = 0x100;
constexpr unsigned kByteBits = 8;
// First, middle and last page of the code flash; everything between stays erased.
constexpr std::uint16_t kSparseAddresses[] = {0x0000, 0x7B40, 0xF7F0};

// xorshift32: cheap, and the same sequence on every machine.
class Random {
  public:
    std::uint8_t Next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return static_cast<std::uint8_t>(m_state >> 24);
    }

  private:
    std::uint32_t m_state = kSeed;
};

std::string Hex2(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & kByteMask);
    return text;
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

}  // namespace

std::vector<std::uint8_t> MakeProgram() {
    Random random;
    std::vector<std::uint8_t> bytes(kCodeBytes);
    for (std::uint8_t& byte : bytes) byte = random.Next();
    return bytes;
}

std::string HexRecord(std::uint16_t address, const std::vector<std::uint8_t>& bytes) {
    unsigned sum =
        static_cast<unsigned>(bytes.size()) + (address >> kByteBits) + (address & kByteMask);
    std::string line = ":" + Hex2(static_cast<unsigned>(bytes.size())) +
                       Hex2(address >> kByteBits) + Hex2(address) + "00";
    for (std::uint8_t byte : bytes) {
        line += Hex2(byte);
        sum += byte;
    }
    return line + Hex2(kByteModulus - (sum & kByteMask)) + kLineEnd;
}

std::string IntelHex(const std::vector<std::uint8_t>& bytes, std::size_t recordSize) {
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += recordSize) {
        const std::size_t end = std::min(at + recordSize, bytes.size());
        text += HexRecord(static_cast<std::uint16_t>(at),
                          std::vector<std::uint8_t>(bytes.begin() + static_cast<long>(at),
                                                    bytes.begin() + static_cast<long>(end)));
    }
    return text + kEndRecord + kLineEnd;
}

std::string DataFlashText(std::size_t lines) {
    Random random;
    std::string text;
    for (std::size_t address = 0; address < lines; ++address) {
        text += std::to_string(address);
        for (std::size_t i = 0; i < kDataBytesPerLine; ++i) text += "," + Hex2(random.Next());
        text += kLineEnd;
    }
    return text;
}

bool WriteInputs(const std::string& folder, BenchInputs& inputs) {
    const std::vector<std::uint8_t> program = MakeProgram();
    inputs.program16 = folder + "/program16.hex";
    inputs.program32 = folder + "/program32.hex";
    inputs.dataFile = folder + "/dataflash.txt";
    inputs.sparse = folder + "/sparse.hex";
    std::string sparse;
    for (std::uint16_t address : kSparseAddresses) {
        sparse += HexRecord(
            address, std::vector<std::uint8_t>(program.begin() + address,
                                               program.begin() + address + kSparseRecordBytes));
    }
    sparse += std::string(kEndRecord) + kLineEnd;
    return WriteFile(inputs.program16, IntelHex(program, kRecord16)) &&
           WriteFile(inputs.program32, IntelHex(program, kRecord32)) &&
           WriteFile(inputs.dataFile, DataFlashText(kDataLines)) &&
           WriteFile(inputs.sparse, sparse);
}

}  // namespace tovrel::bench
