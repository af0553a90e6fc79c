#include "tests/faults/fault_run.h"

namespace tovrel::testing {
namespace {

std::string Text(const std::string& text) { return text; }

CaseFile Hex(std::function<std::string()> contents) { return {"app.hex", std::move(contents)}; }
CaseFile Data(std::function<std::string()> contents) { return {"data.txt", std::move(contents)}; }
CaseFile GoodHex() { return Hex(ExampleHex); }

const Words kCode{"{dir}/app.hex"};
const Words kCodeVerify{"{dir}/app.hex", "/V"};
const Words kCodeAndData{"{dir}/app.hex", "{dir}/data.txt", "/M:0"};
const std::string kAll = "ACBWQVESFU";

// A hex file of one million one-byte records across the code flash.
std::string MillionLines() {
    std::string text;
    text.reserve(20'000'000);
    for (unsigned i = 0; i < 1'000'000; ++i) {
        text += HexRecord(i % 0xF800, {i & 0xFF}) + "\r\n";
    }
    return text + ":00000001FF\r\n";
}

std::string LongLine() { return ":10" + std::string(99'997, '0') + "\r\n" + ExampleHex(); }
std::string BeyondCode() {
    return HexRecord(0xF800, {0x11, 0x22}) + "\r\n" + ExampleHex();
}
std::string Bom() { return "\xEF\xBB\xBF" + ExampleHex(); }

std::string ProfileWithout(const std::string& key) {
    std::ifstream in(std::string(TOVREL_SOURCE) + "/Configuration/Zerk8QA.txt");
    std::string text;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key, 0) != 0) text += line + "\n";
    }
    return text;
}

CaseFile Profile(std::function<std::string()> contents) {
    return {"Configuration/Zerk8QA.txt", std::move(contents)};
}

const std::string kResetOk = "RESETTING PART: OK";
const std::string kUp = "Baudrate = 115200... OK";
const std::string kErased = "ERASING CODE AND DATA... OK";
const std::string kSum = "CheckSum of [{dir}/app.hex] is 11D00hex - 72960 Dec";
const std::string kCoding = "DOWNLOADING CODE [{dir}/app.hex]:";
const std::string kCoded = kCoding + "..........OK";
const std::string kFailedTwice = kCoding + "..........Failed";  // then "..........Failed"
const std::string kData = "DOWNLOADING DATA [{dir}/data.txt]:..........OK";
const std::string kDataRejected = "Downloading the data file: {dir}/data.txt ...failed";
const std::string kVerified = "VERIFYING USER CODE: ... OK";
const std::string kBack = "Baudrate = 9600... OK";
const std::string kBadHex = "failed......error in hex file";
const std::string kBadData = "Warning: Invalid Dataflash TXT File";
const std::string kHeld =
    "Error: Error encountered while Opening Port\nWarning: Com Port Already Open by another host\n";
const std::string kBaudError = "Warning: Error encountered while changing baudrate";
const std::string kProfileError = "Warning: Error in Line 1 of {dir}/program/Configuration/Zerk8QA.txt";
const Words kGood{kResetOk, kUp, kErased, kSum, kCoded, kBack};
const Words kGoodData{kSum, kCoded, kData, kBack};
const Words kHexRejected{kErased, kBadHex};
// A failed reply leaves the rest of its answer in the input, which is never flushed: the
// return to 9600 baud reads it and fails.
const Words kStrayLeft{kFailedTwice, "..........Failed", "Baudrate = 115200... failed"};

std::vector<FaultCase> MakeCases() {
    return {
        // The device and the line.
        {"DeviceSilentAtReset", "reports the reset failed with the checklist, sends nothing more",
         {"--silent"}, kCode, {GoodHex()}, 1, {"RESETTING PART: failed"},
         {"Warning: Error: could not reset the device", "5. PSEN is inserted"},
         {"ID", 1, kAll}},
        {"EraseAnsweredOtherByte", "reports the erase failed, sends no code, returns to 9600 baud",
         {"--reply-byte", "A:1:41"}, kCode, {GoodHex()}, 1,
         {kUp, "ERASING CODE AND DATA... failed", kBack}, {}, {"A", 1, "WQVESFU"}},
        {"RecordRefusedInStandardDownload",
         "reports the code download failed, sends no further record",
         {"--id", "Kaz 8QB    205", "--reply-byte", "W:5:15"}, kCode, {GoodHex()}, 1,
         {kSum, kCoding + "..........Failed", kBack}, {}, {"W", 5, "WQVESFU"}},
        {"PageRefusedInQuickDownload",
         "reports the code download failed, sends no further page (the standard download that "
         "follows sends nothing)",
         {"--reply-byte", "Q:2:15"}, kCode, {GoodHex()}, 1,
         {kSum, kFailedTwice, "..........Failed", kBack}, {}, {"Q", 2, "WQVESFU"}},
        {"AnswerLate600ms", "counts an answer after the 500 ms time-out as a failure",
         {"--delay-reply", "Q:1:600"}, kCode, {GoodHex()}, 1,
         {kSum, kFailedTwice, "..........Failed", kBack}, {}, {"Q", 1, "WQVESFU"}},
        {"StrayBytesBeforeAnswer",
         "counts a stray byte in place of 06 as a failure; the return to 9600 baud then reads "
         "the rest and fails too",
         {"--stray", "Q:1:55AA"}, kCode, {GoodHex()}, 1, kStrayLeft, {kBaudError},
         {"Q", 1, "WQVESFU"}},
        {"VerifyFails19Times", "reads the page again: the 20th read matches, the verify passes",
         {"--corrupt-verify", "0:19"}, kCodeVerify, {GoodHex()}, 0, {kCoded, kVerified, kBack},
         {}},
        {"VerifyFails20Times", "gives up after 20 failed reads: the verify fails",
         {"--corrupt-verify", "0:20"}, kCodeVerify, {GoodHex()}, 1,
         {kCoded, "VERIFYING USER CODE: ... failed", kBack}, {}},
        {"ShortVerifyAnswer", "counts a short page read as one failed read and reads again",
         {"--short-reply", "V:1:100"}, kCodeVerify, {GoodHex()}, 0, {kCoded, kVerified, kBack},
         {}},
        {"HangUpDuringDownload",
         "ends at once with status 1; the log shows the code download failed",
         {"--hangup-after", "Q:2"}, kCode, {GoodHex()}, 1, kStrayLeft, {kBaudError}},
        // The port.
        {"PortHeldByAnotherProgram", "reports the port is in use, sends nothing", {}, kCode,
         {GoodHex()}, 1, {"Configuration: COM1, 9600 baud"}, {kHeld + kHeld}, {}, Port::Held},
        {"PortDoesNotExist", "reports the port could not be opened", {}, kCode, {GoodHex()}, 1,
         {"Configuration: COM1, 9600 baud"}, {kHeld + kHeld}, {}, Port::Missing},
        {"PortWithoutPermission", "reports the port could not be opened (skipped as root)", {},
         kCode, {GoodHex()}, 1, {"Configuration: COM1, 9600 baud"},
         {"Error: Error encountered while Opening Port"}, {}, Port::NoPermission},
        // Download files.
        {"HexEmpty", "accepts it (nothing to check, nothing to send): erases and reports OK", {},
         kCode, {Hex([] { return Text(""); })}, 0,
         {kErased, "CheckSum of [{dir}/app.hex] is 0hex - 0 Dec", kCoded, kBack}, {},
         {"A", 1, "WQ"}},
        {"HexBinaryGarbage", "rejects the file, sends no code", {}, kCode, {Hex(Garbage)}, 1,
         kHexRejected, {"Warning: Invalid Hex File"}, {"A", 1, "WQ"}},
        {"HexHtmlPage", "rejects the file, sends no code", {}, kCode, {Hex(HtmlPage)}, 1,
         kHexRejected, {"Warning: Invalid Hex File"}, {"A", 1, "WQ"}},
        {"HexLine100000Chars", "rejects the file, sends no code", {}, kCode, {Hex(LongLine)}, 1,
         kHexRejected, {"Warning: Invalid Hex File"}, {"A", 1, "WQ"}},
        {"HexMillionLines", "checks all of it and downloads it", {}, kCode, {Hex(MillionLines)},
         0, {kErased, "CheckSum of [{dir}/app.hex] is 1E218D00hex - 505515264 Dec", kCoded},
         {}},
        {"HexCrLf", "downloads it", {}, kCode,
         {Hex([] { return WithLineEnds(ExampleHex(), "\r\n"); })}, 0, kGood, {}},
        {"HexLf", "downloads it", {}, kCode,
         {Hex([] { return WithLineEnds(ExampleHex(), "\n"); })}, 0, kGood, {}},
        {"HexMixedLineEnds", "downloads it", {}, kCode,
         {Hex([] { return WithMixedLineEnds(ExampleHex()); })}, 0, kGood, {}},
        {"HexByteOrderMark", "rejects the file (the first line has no start mark)", {}, kCode,
         {Hex(Bom)}, 1, kHexRejected, {}, {"A", 1, "WQ"}},
        {"HexLowerCase", "downloads it (hex digits in either case)", {}, kCode,
         {Hex([] { return LowerCase(ExampleHex()); })}, 0, {kErased, kCoded, kBack}, {}},
        {"HexBeyondCodeSize", "rejects the file, sends no code", {}, kCode, {Hex(BeyondCode)}, 1,
         kHexRejected, {"Warning Hex File: Hex File too big"}, {"A", 1, "WQ"}},
        {"HexMissing", "reports it cannot open the file, sends no code", {}, kCode, {}, 1,
         kHexRejected, {"Warning: Cannot open file {dir}/app.hex"}, {"A", 1, "WQ"}},
        // Data-flash files.
        {"DataEmpty", "accepts it, sends no data and reports OK", {}, kCodeAndData,
         {GoodHex(), Data([] { return Text(""); })}, 0, kGoodData, {}, {"Q", 1, "E"}},
        {"DataBinaryGarbage", "rejects the file, sends no data", {}, kCodeAndData,
         {GoodHex(), Data(Garbage)}, 1, {kCoded, kDataRejected, kBack}, {kBadData},
         {"Q", 1, "E"}},
        {"DataHtmlPage", "rejects the file, sends no data", {}, kCodeAndData,
         {GoodHex(), Data(HtmlPage)}, 1, {kCoded, kDataRejected, kBack}, {kBadData},
         {"Q", 1, "E"}},
        {"DataLine100000Chars", "rejects the file, sends no data", {}, kCodeAndData,
         {GoodHex(), Data([] { return std::string(100000, '1') + "\n" + ExampleData(); })}, 1,
         {kCoded, kDataRejected, kBack}, {kBadData}, {"Q", 1, "E"}},
        {"DataCrLf", "downloads it", {}, kCodeAndData,
         {GoodHex(), Data([] { return WithLineEnds(ExampleData(), "\r\n"); })}, 0, kGoodData,
         {}},
        {"DataLf", "downloads it", {}, kCodeAndData,
         {GoodHex(), Data([] { return WithLineEnds(ExampleData(), "\n"); })}, 0, kGoodData, {}},
        {"DataMixedLineEnds", "downloads it", {}, kCodeAndData,
         {GoodHex(), Data([] { return WithMixedLineEnds(ExampleData()); })}, 0, kGoodData, {}},
        {"DataByteOrderMark", "accepts it and downloads it", {}, kCodeAndData,
         {GoodHex(), Data([] { return "\xEF\xBB\xBF" + ExampleData(); })}, 0, kGoodData, {}},
        {"DataLowerCase", "downloads it (hex digits in either case)", {}, kCodeAndData,
         {GoodHex(), Data([] { return LowerCase(ExampleData()); })}, 0, kGoodData, {}},
        {"DataPageBeyondDataSize",
         "passes the check; the device refuses the page and the data download fails", {},
         kCodeAndData,
         {GoodHex(), Data([] { return ExampleData() + "640,01,02,03,04\r\n"; })}, 1,
         {kCoded, "DOWNLOADING DATA [{dir}/data.txt]:..........Failed", kBack},
         {"Warning: Error encountered while dowloading the data, please retry."}},
        // Device profiles.
        {"ProfileEmpty",
         "takes every value as 0: the rate changes fail, the run ends with status 1", {}, kCode,
         {GoodHex()}, 1, {kResetOk, "Baudrate = 9600... failed", kCoded, "Baudrate = 9600... failed"},
         {kBaudError}, {}, Port::Sim, {Profile([] { return Text(""); })}},
        {"ProfileGarbage", "reports each bad line, then as an empty profile", {}, kCode,
         {GoodHex()}, 1, {kResetOk, "Baudrate = 9600... failed"}, {kProfileError, kBaudError},
         {}, Port::Sim, {Profile(Garbage)}},
        {"ProfileWithoutCodeSize", "runs on; the rate changes fail, status 1", {}, kCode,
         {GoodHex()}, 1, {kResetOk, "Baudrate = 9600... failed"}, {kBaudError}, {}, Port::Sim,
         {Profile([] { return ProfileWithout("CodeSize"); })}},
        {"ProfileCodeSizeNotANumber", "reports the bad line, then as an empty profile", {},
         kCode, {GoodHex()}, 1, {kResetOk, "Baudrate = 9600... failed"}, {kProfileError},
         {}, Port::Sim,
         {Profile([] { return ProfileWithout("CodeSize") + "CodeSize = lots\n"; })}},
        {"ProfileLine100000Chars", "reports the bad line, then as an empty profile", {}, kCode,
         {GoodHex()}, 1, {kResetOk, "Baudrate = 9600... failed"}, {kProfileError}, {},
         Port::Sim,
         {Profile([] { return std::string(100000, 'x') + "\n" + ProfileWithout("none"); })}},
        {"ProfileCrLfAndBom", "reads it as usual", {}, kCode, {GoodHex()}, 0, kGood, {}, {},
         Port::Sim,
         {Profile([] { return "\xEF\xBB\xBF" + WithLineEnds(ProfileWithout("none"), "\r\n"); })}},
        // Settings.
        {"SettingsCorrupt", "starts from the defaults and runs", {}, kCode, {GoodHex()}, 0,
         kGood, {}, {}, Port::Sim, {}, {{"Tovrel/Tovrel.conf", Garbage}}},
        {"SettingsNotReadable", "starts from the defaults and runs", {}, kCode, {GoodHex()}, 0,
         kGood, {}, {}, Port::Sim, {}, {}, {"Tovrel/Tovrel.conf"}},
    };
}

}  // namespace

const std::vector<FaultCase>& FaultCases() {
    static const std::vector<FaultCase> cases = MakeCases();
    return cases;
}

}  // namespace tovrel::testing
