#include "sim/flash_memory.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tovrel::sim {
namespace {

constexpr const char* kStateMagic = "pellicon-sim state 1";

void AndInto(std::vector<std::uint8_t>& cells, std::size_t offset,
             std::span<const std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) cells[offset + i] &= bytes[i];
}

std::string Header(const FlashMemory& flash) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "%s\ncode-size %zu\ndata-size %zu\nsecurity %02X\n"
                  "bootload %02X\n\n",
                  kStateMagic, flash.Code().size(), flash.Data().size(), flash.SecurityBits(),
                  flash.BootloadMode());
    return text;
}

// Reads "name value" with the value in the given base.
bool ReadField(std::istream& in, const char* name, int base, unsigned long& value) {
    std::string line;
    if (!std::getline(in, line) || line.rfind(name, 0) != 0) return false;
    const std::string text = line.substr(std::strlen(name));
    char* end = nullptr;
    value = std::strtoul(text.c_str(), &end, base);
    return end != text.c_str() && *end == '\0';
}

}  // namespace

FlashMemory::FlashMemory(std::size_t codeSize, std::size_t dataPages)
    : m_code(codeSize, kErasedByte), m_data(dataPages * kDataPageSize, kErasedByte) {}

void FlashMemory::EraseCode() { std::fill(m_code.begin(), m_code.end(), kErasedByte); }

void FlashMemory::EraseCodeAndData() {
    EraseCode();
    std::fill(m_data.begin(), m_data.end(), kErasedByte);
}

bool FlashMemory::ProgramCode(std::size_t address, std::span<const std::uint8_t> bytes) {
    if (address > m_code.size() || bytes.size() > m_code.size() - address) return false;
    AndInto(m_code, address, bytes);
    return true;
}

bool FlashMemory::ProgramDataPage(std::size_t page,
                                  std::span<const std::uint8_t, kDataPageSize> bytes) {
    if (page >= m_data.size() / kDataPageSize) return false;
    AndInto(m_data, page * kDataPageSize, bytes);
    return true;
}

std::vector<std::uint8_t> FlashMemory::ReadCodePage(std::size_t page) const {
    std::vector<std::uint8_t> bytes(kCodePageSize, kErasedByte);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::size_t address = page * kCodePageSize + i;
        if (address < m_code.size()) bytes[i] = m_code[address];
    }
    return bytes;
}

bool FlashMemory::Save(const std::string& path, std::string& error) const {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        const std::string header = Header(*this);
        out.write(header.data(), static_cast<std::streamsize>(header.size()));
        out.write(reinterpret_cast<const char*>(m_code.data()),
                  static_cast<std::streamsize>(m_code.size()));
        out.write(reinterpret_cast<const char*>(m_data.data()),
                  static_cast<std::streamsize>(m_data.size()));
        if (!out.flush()) {
            error = "cannot write the state file " + path + ": " + std::strerror(errno);
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot replace the state file " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool FlashMemory::Load(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return true;
    std::string magic, blank;
    unsigned long codeSize = 0, dataSize = 0, security = 0, bootload = 0;
    const bool headerOk =
        std::getline(in, magic) && magic == kStateMagic &&
        ReadField(in, "code-size ", 10, codeSize) && ReadField(in, "data-size ", 10, dataSize) &&
        ReadField(in, "security ", 16, security) && ReadField(in, "bootload ", 16, bootload) &&
        std::getline(in, blank) && blank.empty() && security <= 0xFF && bootload <= 0xFF;
    if (!headerOk) {
        error = "the state file " + path + " is not a pellicon-sim state file";
        return false;
    }
    if (codeSize != m_code.size() || dataSize != m_data.size()) {
        error = "the state file " + path + " holds " + std::to_string(codeSize) +
                " bytes of code flash and " + std::to_string(dataSize) +
                " bytes of data flash; this device has " + std::to_string(m_code.size()) + " and " +
                std::to_string(m_data.size());
        return false;
    }
    in.read(reinterpret_cast<char*>(m_code.data()), static_cast<std::streamsize>(codeSize));
    in.read(reinterpret_cast<char*>(m_data.data()), static_cast<std::streamsize>(dataSize));
    if (!in) {
        error = "the state file " + path + " is shorter than its header says";
        return false;
    }
    m_security = static_cast<std::uint8_t>(security);
    m_bootload = static_cast<std::uint8_t>(bootload);
    return true;
}

}  // namespace tovrel::sim
