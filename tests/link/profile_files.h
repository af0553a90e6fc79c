#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tovrel::testing {

// The fourteen lines of an 11.0592 MHz device with every loader feature.
inline std::vector<std::string> GoodProfileLines() {
    return {"CodeSize = 63488",
            "DataSize = 640",
            "QuickDownloadOption = True",
            "FastBaudrateOption = True",
            "SecurityBitsOption = True",
            "BootloadOption = True",
            "VerifyAfterDownloadOption = True",
            "T3CON = 0",
            "T3FD = 0",
            "T3CON9600 = 133",
            "T3FD9600 = 8",
            "XTAL = 0",
            "fcore = 11059200",
            "ClkAdjust = 1"};
}

// A scratch folder that is removed with the test.
class TempFolder {
  public:
    TempFolder() {
        char pattern[] = "/tmp/tovrel-link-XXXXXX";
        const char* made = mkdtemp(pattern);
        m_path = made ? made : "/tmp/tovrel-link-failed";
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }

    // Writes the lines (each ended by lineEnd) to a file below the folder; returns its path.
    std::string Write(const std::string& name, const std::vector<std::string>& lines,
                      const std::string& lineEnd = "\n") const {
        const std::filesystem::path file = std::filesystem::path(m_path) / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        for (const std::string& line : lines) out << line << lineEnd;
        return file.string();
    }

  private:
    std::string m_path;
};

}  // namespace tovrel::testing
