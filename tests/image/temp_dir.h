#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

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

}  // namespace tovrel::testing
