#pragma once

// What the rows of the fault suite share: the files they write and the lines they expect.

#include <fstream>

#include "tests/faults/fault_run.h"

namespace tovrel::testing {

inline std::string Text(const std::string& text) { return text; }

inline CaseFile Hex(std::function<std::string()> contents) {
    return {"app.hex", std::move(contents)};
}
inline CaseFile Data(std::function<std::string()> contents) {
    return {"data.txt", std::move(contents)};
}
inline CaseFile GoodHex() { return Hex(ExampleHex); }

inline const Words kCode{"{dir}/app.hex"};
inline const Words kCodeVerify{"{dir}/app.hex", "/V"};
inline const Words kCodeAndData{"{dir}/app.hex", "{dir}/data.txt", "/M:0"};
inline const std::string kAll = "ACBWQVESFU";
// The device receives nothing at all.
inline const NothingAfter kNothingSent{"", 0, "ID?" + kAll};

// A hex file of one million one-byte records across the code flash.
inline std::string MillionLines() {
    std::string text;
    text.reserve(20'000'000);
    for (unsigned i = 0; i < 1'000'000; ++i) {
        text += HexRecord(i % 0xF800, {i & 0xFF}) + "\r\n";
    }
    return text + ":00000001FF\r\n";
}

inline std::string LongLine() { return ":10" + std::string(99'997, '0') + "\r\n" + ExampleHex(); }
inline std::string BeyondCode() { return HexRecord(0xF800, {0x11, 0x22}) + "\r\n" + ExampleHex(); }
inline std::string Bom() { return "\xEF\xBB\xBF" + ExampleHex(); }

// The shipped profile of the simulated device with the line of key replaced (or dropped).
inline std::string ProfileWith(const std::string& key, const std::string& replacement = "") {
    std::ifstream in(std::string(TOVREL_SOURCE) + "/Configuration/Zerk8QA.txt");
    std::string text;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key, 0) != 0) {
            text += line + "\n";
        } else if (!replacement.empty()) {
            text += replacement + "\n";
        }
    }
    return text;
}

inline CaseFile Profile(std::function<std::string()> contents) {
    return {"Configuration/Zerk8QA.txt", std::move(contents)};
}

inline const std::string kResetOk = "RESETTING PART: OK";
inline const std::string kUp = "Baudrate = 115200... OK";
inline const std::string kErased = "ERASING CODE AND DATA... OK";
inline const std::string kSum = "CheckSum of [{dir}/app.hex] is 11D00hex - 72960 Dec";
inline const std::string kCoding = "DOWNLOADING CODE [{dir}/app.hex]:";
inline const std::string kCoded = kCoding + "..........OK";
inline const std::string kFailedTwice = kCoding + "..........Failed";  // then "..........Failed"
inline const std::string kData = "DOWNLOADING DATA [{dir}/data.txt]:..........OK";
inline const std::string kDataRejected = "Downloading the data file: {dir}/data.txt ...failed";
inline const std::string kVerified = "VERIFYING USER CODE: ... OK";
inline const std::string kBack = "Baudrate = 9600... OK";
inline const std::string kBadHex = "failed......error in hex file";
inline const std::string kBadData = "Warning: Invalid Dataflash TXT File";
// A port that does not open, at start-up and again at the reset: the two messages, and between
// them which port and why.
inline std::string Held(const std::string& why) {
    const std::string held = "Error: Error encountered while Opening Port\nCOM1 (" + why +
                             "\nWarning: Com Port Already Open by another host\n";
    return held + held;
}
inline const std::string kBaudError = "Warning: Error encountered while changing baudrate";
inline const std::string kProfileError =
    "Warning: Error in Line 1 of {dir}/program/Configuration/Zerk8QA.txt";
inline const Words kGood{kResetOk, kUp, kErased, kSum, kCoded, kBack};
inline const Words kGoodData{kSum, kCoded, kData, kBack};
inline const Words kHexRejected{kErased, kBadHex};

// The rows for damaged files, profiles and settings (file_cases.cpp).
std::vector<FaultCase> FileCases();

}  // namespace tovrel::testing
