#pragma once

#include <gtest/gtest.h>

#include <cstdio>
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

// The boot loader: it identifies itself, keeps the code written for the page reads and
// acknowledges everything unless told to refuse (NAK) one command.
struct FakeLoader {
    std::string id = "Kaz 8WFABCD205";
    // One word per message: its letter (R for the reset), for B, S, F and U followed by the
    // payload in hex; a run of Q, V, W or E counts once.
    std::string received;
    std::map<char, int> refuse;  // letter -> which one of them (from 1) is refused
    bool badReads = false;       // page reads answer one wrong byte
    Bytes code = Bytes(0x10000, 0xFF);
    char last = 0;

    Bytes operator()(const Bytes& m) {
        const bool reset = m == Bytes{0x21, 0x5A, 0x00, 0xA6};
        const bool quick = m.size() == 260 && m[1] == 'Q';
        const char letter = reset ? 'R' : quick ? 'Q' : m.size() >= 5 ? char(m[3]) : '?';
        if (std::string("QVWE").find(letter) == std::string::npos || letter != last) {
            received += (received.empty() ? "" : " ") + std::string(1, last = letter);
            for (std::size_t i = 4; std::string("BSFU").find(letter) < 4 && i + 1 < m.size(); ++i) {
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02X", m[i]);
                received += hex;
            }
        }
        if (auto r = refuse.find(letter); r != refuse.end() && --r->second == 0) return {0x15};
        if (reset) return Bytes(id.begin(), id.end());
        if (quick) std::copy(m.begin() + 3, m.end() - 1, code.begin() + m[2] * 256);
        if (letter == 'W') std::copy(m.begin() + 7, m.end() - 1, code.begin() + (m[5] << 8 | m[6]));
        if (letter != 'V') return {0x06};
        Bytes page(code.begin() + m[4] * 256, code.begin() + (m[4] + 1) * 256);
        page.push_back(0x00);
        page[0] ^= badReads;
        return page;
    }
};

// A working folder with the device profile and two download files, and the form over fakes.
class FormTest : public ::testing::Test {
  public:
    FormTest() {
        std::filesystem::current_path(m_folder);
        std::filesystem::create_directory("Configuration");
        WriteProfile("True");
        // LJMP 0100 at the reset vector, then a record that crosses from page 0 into page 1.
        WriteFile("app.hex", {":03000000020100FA", ":1000F800F8FBFE0104070A0D101316191C1F222510",
                              ":00000001FF"});
        WriteFile("data.txt", {"0,11,22,33,44", "300,AA,55,00,FF"});
        port.respond = std::ref(device);
    }
    ~FormTest() override {
        form.reset();
        std::filesystem::current_path(m_home);
    }
    static void WriteFile(const std::string& name, const Lines& lines) {
        std::ofstream file(name, std::ios::binary);
        for (const std::string& line : lines) file << line << "\r\n";
    }
    // The profile of model WF; options "False" takes away verify, security bits and bootload.
    static void WriteProfile(const std::string& o) {
        WriteFile(
            "Configuration/Zerk8WF.txt",
            {"CodeSize = 63488", "DataSize = 640", "QuickDownloadOption = True",
             "FastBaudrateOption = True", "SecurityBitsOption = " + o, "BootloadOption = " + o,
             "VerifyAfterDownloadOption = " + o, "T3CON = 0", "T3FD = 0", "T3CON9600 = 133",
             "T3FD9600 = 8", "XTAL = 0", "fcore = 11059200", "ClkAdjust = 1"});
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
