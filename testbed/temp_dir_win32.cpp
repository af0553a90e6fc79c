#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "testbed/temp_dir.h"

namespace tovrel::testbed {
namespace {

constexpr int kAttempts = 100;
constexpr DWORD kLongPath = 32768;

}  // namespace

// Windows has no mkdtemp: a random name, taken only when create_directory made it.
TempDir::TempDir() {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < kAttempts && m_path.empty(); ++attempt) {
        const std::filesystem::path path = base / ("tovrel-" + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(path, error)) m_path = path.generic_string();
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::Path(const std::string& name) const {
    return name.empty() ? m_path : m_path + "/" + name;
}

std::string TempDir::Write(const std::string& name, const std::string& content) const {
    const std::filesystem::path path = Path(name);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path.generic_string();
}

std::string TempDir::Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string ProgramFolder() {
    std::wstring path(kLongPath, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), kLongPath));
    return std::filesystem::path(path).parent_path().generic_string();
}

}  // namespace tovrel::testbed
