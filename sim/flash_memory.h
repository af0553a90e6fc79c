#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tovrel::sim {

inline constexpr std::uint8_t kErasedByte = 0xFF;
inline constexpr std::size_t kDataPageSize = 4;
inline constexpr std::size_t kCodePageSize = 256;
inline constexpr std::size_t kDefaultCodeSize = 248 * kCodePageSize;  // 62 KB
inline constexpr std::size_t kDefaultDataPages = 640;

// The device's code and data flash, its security bits and its bootload mode byte.
// Flash starts erased; programming can only clear bits, so writing over bytes that
// were not erased leaves the AND of old and new, as the real cells do.
class FlashMemory {
  public:
    FlashMemory(std::size_t codeSize, std::size_t dataPages);

    void EraseCode();
    void EraseCodeAndData();
    // False (and nothing written) when any byte would fall outside the code flash.
    bool ProgramCode(std::size_t address, std::span<const std::uint8_t> bytes);
    // Data flash is written in four-byte pages; false when the page does not exist.
    bool ProgramDataPage(std::size_t page, std::span<const std::uint8_t, kDataPageSize> bytes);
    // One 256-byte page of code flash; addresses beyond the flash read as erased.
    std::vector<std::uint8_t> ReadCodePage(std::size_t page) const;

    void SetSecurityBits(std::uint8_t value) { m_security = value; }
    void SetBootloadMode(std::uint8_t value) { m_bootload = value; }

    const std::vector<std::uint8_t>& Code() const { return m_code; }
    const std::vector<std::uint8_t>& Data() const { return m_data; }
    std::uint8_t SecurityBits() const { return m_security; }
    std::uint8_t BootloadMode() const { return m_bootload; }

    // State file: a short text header, an empty line, then the raw code flash and the
    // raw data flash ("State file" in docs/simulated-device.md). Save replaces the file in one
    // rename.
    bool Save(const std::string& path, std::string& error) const;
    // A missing file leaves the erased device; a file of other sizes is an error.
    bool Load(const std::string& path, std::string& error);

  private:
    std::vector<std::uint8_t> m_code;
    std::vector<std::uint8_t> m_data;
    std::uint8_t m_security = kErasedByte;
    std::uint8_t m_bootload = kErasedByte;
};

}  // namespace tovrel::sim
