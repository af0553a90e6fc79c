#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "testbed/temp_dir.h"
#include "tests/support/fake_host.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/map_settings_store.h"
#include "workflow/tovrel_form.h"

namespace tovrel::testing {

using Lines = std::vector<std::string>;

// LJMP 0100 at the reset vector, then a record that crosses from page 0 into page 1.
inline const Lines kHexLines{":03000000020100FA", ":1000F800F8FBFE0104070A0D101316191C1F222510",
                             ":00000001FF"};
inline const std::string kHexSum = "600hex - 1536 Dec";
inline const std::string kResetError =
    "Error: could not reset the device\r\r\nPlease ensure that...\r\r\n"
    "1. The power supply is connected\r\n2. All connections are correct\r\n"
    "3. A program is not already running\r\n4. The correct value for the crystal is selected\r\n"
    "5. PSEN is inserted\r\r\nSee downloading instructions under 'Help-->Index'";

// The boot loader behind the fake port: it identifies itself on the reset, keeps the code
// the program writes for the page reads, and acknowledges everything else unless told to
// refuse (NAK) one command or to ignore one letter altogether.
struct FakeLoader {
    static constexpr std::size_t kPage = 256;
    std::string id = "Kaz 8WFABCD205";
    std::string received;        // command letters, R for the reset; a run of one letter once
    std::map<char, int> refuse;  // letter -> which one of them (from 1) is refused
    char ignore = 0;
    bool badReads = false;  // page reads answer one wrong byte
    Bytes code = Bytes(0x10000, 0xFF);

    FakeReply operator()(const Bytes& m) {
        const bool reset = m == Bytes{0x21, 0x5A, 0x00, 0xA6};
        const bool quick = m.size() == 260 && m[1] == 'Q';
        const char letter = reset ? 'R' : quick ? 'Q' : m.size() >= 5 ? char(m[3]) : '?';
        if (received.empty() || received.back() != letter) received += letter;
        if (letter == ignore) return {};
        if (auto r = refuse.find(letter); r != refuse.end() && --r->second == 0) return {{0x15}};
        if (reset) return {Bytes(id.begin(), id.end())};
        if (quick) std::copy(m.begin() + 3, m.end() - 1, code.begin() + m[2] * kPage);
        if (letter == 'W') std::copy(m.begin() + 7, m.end() - 1, code.begin() + (m[5] << 8 | m[6]));
        if (letter != 'V') return {{0x06}};
        Bytes page(code.begin() + m[4] * kPage, code.begin() + (m[4] + 1) * kPage);
        page.push_back(0x00);
        page[0] ^= badReads;
        return {page};
    }
};

// A fresh working folder with the device profile and two download files, the fake device,
// a scripted host and a settings store in memory, and the form over them.
class FormTest : public ::testing::Test {
  public:
    FormTest() {
        std::filesystem::current_path(m_folder);
        std::filesystem::create_directory("Configuration");
        WriteFile(
            "Configuration/Zerk8WF.txt",
            {"CodeSize = 63488", "DataSize = 640", "QuickDownloadOption = True",
             "FastBaudrateOption = True", "SecurityBitsOption = True", "BootloadOption = True",
             "VerifyAfterDownloadOption = True", "T3CON = 0", "T3FD = 0", "T3CON9600 = 133",
             "T3FD9600 = 8", "XTAL = 0", "fcore = 11059200", "ClkAdjust = 1"});
        WriteFile("app.hex", kHexLines);
        WriteFile("data.txt", {"0,11,22,33,44", "300,AA,55,00,FF"});
        port.respond = std::ref(device);
    }
    ~FormTest() override {
        form.reset();
        std::filesystem::current_path(m_home);
        std::filesystem::remove_all(m_folder);
    }
    static void WriteFile(const std::string& name, const Lines& lines) {
        std::ofstream file(name, std::ios::binary);
        for (const std::string& line : lines) file << line << "\r\n";
    }
    void Start(std::vector<std::string> words = {}) {
        host.words = std::move(words);
        form = std::make_unique<TovrelForm>(host, port, store);
        form->Form_Load();
    }
    // Opens the panel, lets change set its controls, and presses OK.
    void Configure(const std::function<void(ConfigurationPanel&)>& change) {
        form->ConfButton_Click();
        change(form->panel());
        form->OKButton_Click();
    }
    const std::string& Log() const { return form->mainWindow().Status(); }
    bool ButtonsEnabled() const {
        const auto& b = form->mainWindow().CommandButtons();
        return b.ResetButton && b.RunButton && b.ConfButton && b.DownloadButton;
    }

    std::filesystem::path m_home = std::filesystem::current_path();
    testbed::TempDir m_dir;
    std::string m_folder = m_dir.Path();
    FakeSerialPort port;
    FakeLoader device;
    FakeHost host;  // the program folder is the working folder, "."
    MapSettingsStore store;
    std::unique_ptr<TovrelForm> form;
};

}  // namespace tovrel::testing
