#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/fake_host.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/map_settings_store.h"
#include "tests/workflow/fake_pellicon.h"
#include "workflow/status_texts.h"
#include "workflow/tovrel_form.h"

namespace tovrel::testing {

// One record line of an Intel HEX file: 16 bytes or fewer at an address, type 00.
std::string HexRecord(int address, const std::vector<std::uint8_t>& bytes);
inline const std::string kEndRecord = ":00000001FF";
// The whole-file checksum of a file made of these lines (the last line is not counted).
std::int32_t HexFileSum(const std::vector<std::string>& lines);

// A program that starts at 0000 with a jump and goes on across a page boundary.
std::vector<std::string> ExampleHexLines();

// The program's folder with its device profile, a fake device, a scripted host and a
// settings store in memory, and the form over them.
class FormTest : public ::testing::Test {
  public:
    FormTest();
    ~FormTest() override;

    // Writes the profile Zerk8WF.txt; values replace the standard ones by key.
    void WriteProfile(const std::map<std::string, std::string>& values = {});
    std::string WriteFile(const std::string& name, const std::vector<std::string>& lines);
    std::string WriteExampleHex() { return WriteFile("app.hex", ExampleHexLines()); }
    std::string WriteExampleData();

    TovrelForm& Start(std::vector<std::string> words = {});
    // Opens the panel, lets change set its controls, and presses OK.
    void Configure(const std::function<void(ConfigurationPanel&)>& change);

    std::vector<std::string> LogLines() const;
    // The lines after the reset command's own lines.
    std::vector<std::string> LinesAfterReset() const;
    // The command letters the device received, a run of equal letters shown once.
    std::string CommandRuns() const;

    std::filesystem::path m_folder;
    FakeSerialPort port;
    FakePellicon device{port};
    FakeHost host;
    MapSettingsStore store;
    std::unique_ptr<TovrelForm> form;
};

}  // namespace tovrel::testing
