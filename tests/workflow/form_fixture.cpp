#include "tests/workflow/form_fixture.h"

#include <cstdio>
#include <fstream>

namespace tovrel::testing {
namespace {

const std::vector<std::pair<std::string, std::string>> kProfile{
    {"CodeSize", "63488"},
    {"DataSize", "640"},
    {"QuickDownloadOption", "True"},
    {"FastBaudrateOption", "True"},
    {"SecurityBitsOption", "True"},
    {"BootloadOption", "True"},
    {"VerifyAfterDownloadOption", "True"},
    {"T3CON", "0"},
    {"T3FD", "0"},
    {"T3CON9600", "133"},
    {"T3FD9600", "8"},
    {"XTAL", "0"},
    {"fcore", "11059200"},
    {"ClkAdjust", "1"},
};

std::string Hex2(int value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

}  // namespace

std::string HexRecord(int address, const std::vector<std::uint8_t>& bytes) {
    int sum = static_cast<int>(bytes.size()) + (address >> 8) + (address & 0xFF);
    std::string line =
        ":" + Hex2(static_cast<int>(bytes.size())) + Hex2(address >> 8) + Hex2(address) + "00";
    for (std::uint8_t b : bytes) {
        line += Hex2(b);
        sum += b;
    }
    return line + Hex2(-sum);
}

std::int32_t HexFileSum(const std::vector<std::string>& lines) {
    std::int32_t sum = 0;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::string digits = lines[i].substr(1);
        for (std::size_t k = 0; k + 1 < digits.size(); k += 2) {
            sum += std::stoi(digits.substr(k, 2), nullptr, 16);
        }
    }
    return sum;
}

std::vector<std::string> ExampleHexLines() {
    std::vector<std::string> lines{HexRecord(0x0000, {0x02, 0x00, 0xF8})};
    for (int address = 0x00F8; address < 0x0128; address += 16) {
        std::vector<std::uint8_t> bytes;
        for (int k = 0; k < 16; ++k) bytes.push_back(static_cast<std::uint8_t>(address + 3 * k));
        lines.push_back(HexRecord(address, bytes));
    }
    lines.push_back(kEndRecord);
    return lines;
}

FormTest::FormTest() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    m_folder = std::filesystem::path(::testing::TempDir()) / ("tovrel_workflow_" + name);
    std::filesystem::remove_all(m_folder);
    std::filesystem::create_directories(m_folder / "Configuration");
    host.folder = m_folder.string();
    WriteProfile();
}

FormTest::~FormTest() {
    form.reset();
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

void FormTest::WriteProfile(const std::map<std::string, std::string>& values) {
    std::ofstream file(m_folder / "Configuration" / "Zerk8WF.txt", std::ios::binary);
    for (const auto& [key, standard] : kProfile) {
        const auto changed = values.find(key);
        file << key << " = " << (changed == values.end() ? standard : changed->second) << "\r\n";
    }
}

std::string FormTest::WriteFile(const std::string& name, const std::vector<std::string>& lines) {
    const std::filesystem::path path = m_folder / name;
    std::ofstream file(path, std::ios::binary);
    for (const std::string& line : lines) file << line << "\r\n";
    return path.string();
}

std::string FormTest::WriteExampleData() {
    return WriteFile("data.txt", {"0,11,22,33,44", "300,AA,55,00,FF", "4,01,02,03,04"});
}

TovrelForm& FormTest::Start(std::vector<std::string> words) {
    host.words = std::move(words);
    form = std::make_unique<TovrelForm>(host, port, store);
    form->Form_Load();
    return *form;
}

void FormTest::Configure(const std::function<void(ConfigurationPanel&)>& change) {
    form->ConfButton_Click();
    change(form->panel());
    form->OKButton_Click();
}

std::vector<std::string> FormTest::LogLines() const {
    std::vector<std::string> lines;
    const std::string& log = form->mainWindow().Status();
    std::size_t start = 0;
    for (std::size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(log.substr(start, end - start));
    }
    if (start < log.size()) lines.push_back(log.substr(start));
    return lines;
}

std::vector<std::string> FormTest::LinesAfterReset() const {
    const std::vector<std::string> lines = LogLines();
    std::size_t first = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].starts_with("Configuration: COM") ||
            lines[i].starts_with("RESETTING PART: ")) {
            first = i + 1;
        }
    }
    return {lines.begin() + static_cast<std::ptrdiff_t>(first), lines.end()};
}

std::string FormTest::CommandRuns() const {
    std::string runs;
    for (std::uint8_t command : device.commands) {
        if (runs.empty() || runs.back() != static_cast<char>(command))
            runs += static_cast<char>(command);
    }
    return runs;
}

}  // namespace tovrel::testing
