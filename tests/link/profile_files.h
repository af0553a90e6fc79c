#pragma once

#include <stdlib.h>

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

// A scratch folder, removed with the test.
struct TempFolder {
    std::string path;
    TempFolder() {
        char pattern[] = "/tmp/tovrel-link-XXXXXX";
        path = mkdtemp(pattern) ? pattern : "/tmp/tovrel-link-failed";
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    // Writes the lines, each ended by lineEnd, to a file below the folder; returns its path.
    std::string Write(const std::string& name, const std::vector<std::string>& lines,
                      const char* lineEnd = "\n") const {
        const std::filesystem::path file = std::filesystem::path(path) / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        for (const std::string& line : lines) out << line << lineEnd;
        return file.string();
    }
};

}  // namespace tovrel::testing
