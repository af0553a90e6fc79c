#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovrel::bench {

// The input files every case downloads, generated afresh for each benchmark run from a
// fixed seed, so two runs send exactly the same bytes.
struct BenchInputs {
    std::string program16;  // 62 KB program, 16-byte records
    std::string program32;  // the same program, 32-byte records
    std::string dataFile;   // 640 lines of data flash
    std::string sparse;     // three short records far apart
};

constexpr std::size_t kCodeBytes = 63488;  // 248 pages of 256
constexpr std::size_t kDataLines = 640;

// A program that fills the whole code flash with pseudo-random bytes.
std::vector<std::uint8_t> MakeProgram();

// Intel HEX text of the bytes, starting at address 0, in records of recordSize bytes.
std::string IntelHex(const std::vector<std::uint8_t>& bytes, std::size_t recordSize);
// One data record of the bytes at the address.
std::string HexRecord(std::uint16_t address, const std::vector<std::uint8_t>& bytes);
// The data-flash text file: one line "address,b0,b1,b2,b3" per four-byte page.
std::string DataFlashText(std::size_t lines);

// Writes all input files into folder; false when a file cannot be written.
bool WriteInputs(const std::string& folder, BenchInputs& inputs);

}  // namespace tovrel::bench
