#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tovrel::testing {

// A fresh folder for one test's files, removed with everything in it afterwards.
class TempDir {
  public:
    TempDir() { std::filesystem::create_directories(m_path); }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    // Path("") is the folder itself, with a separator at its end.
    std::string Path(const std::string& name) const { return (m_path / name).string(); }
    // Writes the bytes exactly as given (no line-end translation) and returns the path.
    std::string Write(const std::string& name, const std::string& content) const {
        std::ofstream(Path(name), std::ios::binary) << content;
        return Path(name);
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

  private:
    static inline int s_count = 0;
    std::filesystem::path m_path =
        std::filesystem::temp_directory_path() /
        ("tovrel-test-" + std::to_string(::getpid()) + "-" + std::to_string(s_count++));
};

// One well-formed Intel HEX record line (without line end).
inline std::string Record(unsigned address, std::vector<std::uint8_t> data, unsigned type = 0) {
    data.insert(data.begin(), {std::uint8_t(data.size()), std::uint8_t(address >> 8),
                               std::uint8_t(address), std::uint8_t(type)});
    auto hex = [](unsigned value) {
        char text[3];
        std::snprintf(text, sizeof text, "%02X", value & 0xFF);
        return std::string(text);
    };
    std::string line = ":";
    unsigned sum = 0;
    for (std::uint8_t b : data) {
        line += hex(b);
        sum += b;
    }
    return line + hex(0x100 - sum);
}

inline const std::string kEnd = ":00000001FF";

// The lines with lineEnd after each.
inline std::string HexFile(const std::vector<std::string>& lines, const char* lineEnd = "\r\n") {
    std::string text;
    for (const std::string& line : lines) text += line + lineEnd;
    return text;
}

}  // namespace tovrel::testing
