#include <algorithm>
#include <cctype>
#include <csignal>
#include <fstream>
#include <iterator>
#include <sstream>

#include "testbed/sim_files.h"
#include "tests/faults/fault_case.h"

namespace tovrel::testing {
namespace {

const std::string kCode = "{dir}/app.hex", kCodeVerify = kCode + " /V";
const std::string kCodeAndData = kCode + " {dir}/data.txt /M:0";
// A display for the window path that needs no X server, and a runtime folder of its own.
const std::string kWithDisplay = "DISPLAY=:99 QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR={dir} ";
// The offscreen platform's own notes on a message box are not the program's.
const std::string kQuietQt = "QT_LOGGING_RULES=default.warning=false ";
const std::string kAll = "ACBWQVESFU";
const Received kNothingSent{"", 0, "ID?" + kAll};
// A file refused before the erase: the board keeps its program.
const Received kNothingErased{"", 0, "ACWQE"};

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
std::string ExampleHex() { return Read(TOVREL_EXAMPLES "/blinky.hex"); }
std::string ExampleData() { return Read(TOVREL_EXAMPLES "/dataflash.txt"); }

std::string WithLineEnds(const std::string& text, const std::string& lineEnd) {
    std::string out;
    for (char c : text) {
        if (c != '\r') out += c == '\n' ? lineEnd : std::string(1, c);
    }
    return out;
}

std::string HexRecord(unsigned address, unsigned byte) {
    const unsigned sum = 1 + (address >> 8) + address + byte;
    return ":" + testbed::Hex({1, static_cast<std::uint8_t>(address >> 8),
                               static_cast<std::uint8_t>(address), 0,
                               static_cast<std::uint8_t>(byte), static_cast<std::uint8_t>(-sum)});
}

CaseFile Hex(std::function<std::string()> contents) { return {"app.hex", std::move(contents)}; }
CaseFile Data(std::function<std::string()> contents) { return {"data.txt", std::move(contents)}; }
CaseFile Profile(std::function<std::string()> contents) {
    return {"program/Configuration/Zerk8QA.txt", std::move(contents)};
}
CaseFile GoodHex() { return Hex(ExampleHex); }
std::function<std::string()> Text(const std::string& text) {
    return [text] { return text; };
}

// A hex file of one-byte records across the code flash.
std::string ManyLines(unsigned count) {
    std::string text;
    text.reserve(20 * count);
    for (unsigned i = 0; i < count; ++i) text += HexRecord(i % 0xF800, i & 0xFF) + "\r\n";
    return text + ":00000001FF\r\n";
}
std::string MillionLines() { return ManyLines(1'000'000); }
// Long enough to check that whatever the device sent with its last answer has arrived before
// the next message goes out.
std::string SlowToCheck() { return ManyLines(100'000); }

// The shipped profile of the simulated device, and with the line of key replaced (or dropped).
std::string Shipped() { return Read(TOVREL_SOURCE "/Configuration/Zerk8QA.txt"); }
std::string ProfileWith(const std::string& key, const std::string& replacement = "") {
    std::istringstream in(Shipped());
    std::string text;
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with(key)) {
            text += line + "\n";
        } else if (!replacement.empty()) {
            text += replacement + "\n";
        }
    }
    return text;
}

const std::string kConfig = "Configuration: COM1, 9600 baud", kResetOk = "RESETTING PART: OK";
const std::string kUp = "Baudrate = 115200... OK", kErased = "ERASING CODE AND DATA... OK";
const std::string kSum = "CheckSum of [{dir}/app.hex] is 11D00hex - 72960 Dec";
const std::string kCoding = "DOWNLOADING CODE [{dir}/app.hex]:", kCoded = kCoding + "..........OK";
const std::string kFailed = "..........Failed", kFailedTwice = kCoding + kFailed;
const std::string kData = "DOWNLOADING DATA [{dir}/data.txt]:..........OK";
const std::string kDataRejected = "Downloading the data file: {dir}/data.txt ...failed";
const std::string kVerified = "VERIFYING USER CODE: ... OK", kBack = "Baudrate = 9600... OK";
const std::string kSlowFailed = "Baudrate = 9600... failed";
const Words kGood{"", kConfig, kResetOk, kUp, kErased, kSum, kCoded, kBack};
const Words kGoodData{"", kConfig, kResetOk, kUp, kErased, kSum, kCoded, kData, kBack};
const Words kHexRejected{kUp, "failed......error in hex file", kBack};
const Words kDataFailed{kUp, kDataRejected, kBack};
const std::string kPortLost = "PORT ERROR: COM1 ({tty}): Input/output error";
const std::string kBadHex = "Warning: Invalid Hex File\n";
const std::string kBadData = "Warning: Invalid Dataflash TXT File\n";
const std::string kBaudError = "Warning: Error encountered while changing baudrate\n";
const std::string kResetFailed =
    "Warning: Error: could not reset the device\n\nPlease ensure that...\n\n"
    "1. The power supply is connected\n2. All connections are correct\n"
    "3. A program is not already running\n4. The correct value for the crystal is selected\n"
    "5. PSEN is inserted\n\nSee downloading instructions under 'Help-->Index'\n";
const std::string kNoRts =
    "Warning: Cannot set RTS on COM1 ({tty}): Inappropriate ioctl for device\n";
const std::string kNotConfirmed =
    "Serial safe mode not confirmed (set TOVREL_CONFIRM_SERIAL_SAFE=yes beforehand to confirm "
    "it): answered No\n";
const std::string kConfirmed =
    "Serial safe mode confirmed by TOVREL_CONFIRM_SERIAL_SAFE=yes: the serial downloader of "
    "this device will be disabled\n";

// A port that does not open, at start-up and again at the reset: the two messages, and
// between them which port and why; a port that is not there says so instead of calling it
// held.
std::string Held(const std::string& why) {
    const std::string held = "Error: Error encountered while Opening Port\nCOM1 (" + why +
                             "\nWarning: Com Port Already Open by another host\n";
    return held + held;
}
std::string Missing(const std::string& path, int attempts = 2) {
    const std::string missing =
        "Error: Error encountered while Opening Port\nCOM1 (" + path +
        "): No such file or directory\nWarning: No such device\nCOM1 (" + path +
        ") does not exist: tovrel --list-ports lists the serial ports of this computer, and "
        "Device... under Configuration maps one to a COM port\n";
    return attempts == 1 ? missing : missing + missing;
}

// The profile's bad lines, shown at start-up and again at the download's reset, then the
// two failed rate changes.
std::string ProfileErrors(int last, bool line14, int baudErrors = 2) {
    std::string once;
    for (int n = 1; n <= 14; ++n) {
        if (n > last && !(n == 14 && line14)) continue;
        once += "Warning: Error in Line " + std::to_string(n) +
                " of {dir}/program/Configuration/Zerk8QA.txt\n";
    }
    std::string text = once + once;
    for (int i = 0; i < baudErrors; ++i) text += kBaudError;
    return text;
}

// Rows made from a base row by changing its last file, each named after the base row.
struct Variant {
    const char* name;
    const char* what;  // nullptr: the base row's
    std::string (*change)(const std::string&);
};

void AddVariants(std::vector<FaultCase>& rows, const FaultCase& base,
                 const std::vector<Variant>& variants) {
    for (const auto& [name, what, change] : variants) {
        FaultCase row = base;
        row.name += name;
        row.what = what != nullptr ? what : base.what;
        row.files.back().contents = [make = base.files.back().contents, change] {
            return change(make());
        };
        rows.push_back(row);
    }
}

// A good download's file in every spelling the program must read alike.
const std::vector<Variant> kSpellings{
    {"CrLf", "downloads it", [](const std::string& t) { return WithLineEnds(t, "\r\n"); }},
    {"Lf", "downloads it", [](const std::string& t) { return WithLineEnds(t, "\n"); }},
    {"MixedLineEnds", "downloads it",
     [](const std::string& t) {
         std::string out;
         int line = 0;
         for (char c : WithLineEnds(t, "\n"))
             out += c != '\n' ? std::string(1, c) : line++ % 2 ? "\n" : "\r\n";
         return out;
     }},
    {"ByteOrderMark", "downloads it (a byte-order mark before the first line is skipped)",
     [](const std::string& t) { return "\xEF\xBB\xBF" + t; }},
    {"LowerCase", "downloads it (hex digits in either case)",
     [](const std::string& t) {
         std::string out = t;
         for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
         return out;
     }},
};

// Files that are no download file or data-flash file at all.
const std::vector<Variant> kDamages{
    {"BinaryGarbage", nullptr,
     [](const std::string&) {
         std::string bytes;
         for (unsigned i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 167 + 13) & 0xFF);
         return bytes;
     }},
    {"HtmlPage", nullptr,
     [](const std::string&) {
         return std::string(
             "<!DOCTYPE html>\r\n<html><head><title>blinky.hex</title></head>\r\n"
             "<body><pre>:03000000020033C8</pre></body></html>\r\n");
     }},
    {"Line100000Chars", nullptr,
     [](const std::string& t) { return ":10" + std::string(99'997, '0') + "\r\n" + t; }},
};
const auto Garbage = [] { return kDamages[0].change(""); };

// A production bench: several ports, the loop, serial numbers, unit data, the log, JSON.
FaultCase Bench(FaultCase row, Words moreSims) {
    row.moreSims = std::move(moreSims);
    return row;
}

// A row that also checks a file of its folder afterwards; one whose files cannot grow beyond
// a limit (standard output included).
FaultCase WithFileAfter(FaultCase row, const std::string& file, Words lines) {
    row.fileAfter = {file, std::move(lines)};
    return row;
}
FaultCase Limited(FaultCase row, long fileSizeLimit) {
    row.fileSizeLimit = fileSizeLimit;
    return row;
}

// Every line of text with the port in front, as a bench run with --ports writes it.
std::string Prefixed(const std::string& port, const std::string& text) {
    std::string out;
    for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
        end = text.find('\n', at);
        out += port + ": " + text.substr(at, end - at + 1);
    }
    return out;
}

const std::string kCsvHeader = "time,port,result,step,device,serial,file,checksum,seconds";
const std::string kEarlierRecord =
    "2026-12-07T04:49:30Z,COM1,OK,,Zerk8QA version 2.05,,/e/app.hex,11D00,5.9";
const std::string kBoardOK = ": RESULT OK, device Zerk8QA version 2.05, serial ";
const std::string kNumbers = "--serial 1001 --serial-at 600 --serial-file {dir}/numbers.txt ";

// clang-format off
std::vector<FaultCase> BenchRows() {
    std::vector<FaultCase> rows{
    Bench({"BenchThreePortsOneSilent", "runs every port at once; the silent one fails its reset, "
     "the others download: each line, message and summary under its port", "",
     "--ports COM1,COM3,COM4 " + kCode, {GoodHex()}, 1, {"COM1" + kBoardOK + "-, {s} s",
     "COM3: RESULT FAILED (reset), device -, serial -, {s} s", "COM4" + kBoardOK + "-, {s} s"},
     Prefixed("COM3", kResetFailed), kCodeFile},
     {"--silent", ""}),
    Bench({"BenchPortMissing", "a listed port that does not exist says so once, at its board's "
     "reset; the other port's board is programmed", "", "--ports COM1,COM3 " + kCode,
     {GoodHex()}, 1, {"COM1: RESULT FAILED (reset), device -, serial -, {s} s",
     "COM3" + kBoardOK + "-, {s} s"}, Prefixed("COM1", Missing("{dir}/no-such-tty", 1)),
     kUntouched, kNothingSent, Port::Missing}, {""}),
    Bench({"BenchPortUnplugged", "a port whose device hangs up mid-download fails at that step; "
     "the other port's board is programmed", "--hangup-after=Q:2", "--ports COM1,COM3 " + kCode,
     {GoodHex()}, 1, {"COM1: " + kPortLost,
     "COM1: RESULT FAILED (code), device Zerk8QA version 2.05, serial -, {s} s",
     "COM3" + kBoardOK + "-, {s} s"}, "", ""}, {""}),
    {"BenchLoopTwoBoards", "--count 2: programs a board, sees it gone when its code runs, waits "
     "for the next one and programs it", "--new-board-after=U:*:300", "--count 2 " + kCode + " /R",
     {GoodHex()}, 0, {"COM1" + kBoardOK + "-, {s} s", "STARTING USER CODE: ... OK",
     "COM1" + kBoardOK + "-, {s} s", "TOTAL: 2 boards, 2 OK, 0 FAILED"}, "", kCodeFile,
     {"U", 2, "ACBWQVESFU"}},
    {"BenchUnitDataFails", "a unit-data command that fails fails the board before anything is "
     "erased: its standard error shown, nothing but the resets sent",
     "", "--unit-data echo${IFS}no${IFS}label>&2;exit${IFS}3 " + kCode, {GoodHex()}, 1,
     {"RESETTING PART: OK"}, "Warning: The unit-data command failed: echo${IFS}no${IFS}label>&2;"
     "exit${IFS}3\nexit status 3\nno label\n", kUntouched, {"", 0, kAll}},
    {"BenchJson", "--json: standard output only JSON objects, a line, a progress and a result",
     "", "--json " + kCode, {GoodHex()}, 0, {"{\"port\": \"COM1\", \"line\": \"" + kResetOk + "\"}",
     "{\"port\": \"COM1\", \"progress\": 100}", "{\"port\": \"COM1\", \"line\": \"" + kBack +
     "\"}", "{\"port\": \"COM1\", \"result\": \"OK\", \"step\": null, \"device\": \"Zerk8QA "
     "version 2.05\", \"serial\": null, \"seconds\": {s}}"}, "", kCodeFile}};
    FaultCase killed{"BenchSerialAfterKill", "SIGKILL once the second board's number went out; "
     "the next run gives the next number, never one that may be on a board",
     "--new-board-after=U:*:300 --new-board-after=E:2:300",
     "--loop " + kNumbers + kCode + " /R", {GoodHex()}, 137, {"COM1" + kBoardOK + "1001, {s} s"},
     "", "", {}, Port::Sim, {SIGKILL, "E", 2}};
    killed.second = {"--count 1 " + kNumbers + kCode + " /R", false,
                     {"COM1" + kBoardOK + "1003, {s} s"}};
    killed.fileAfter = {"numbers.txt", {"next 1004", "free"}};
    FaultCase shared = Bench({"BenchLogSharedByTwoProcesses", "two processes append to one log "
     "at once: one header, a whole line each", "", "--log {dir}/log.csv " + kCode, {GoodHex()}, 0,
     {kCoded}, "", kCodeFile}, {""});
    shared.second = {"--log {dir}/log.csv " + kCode + " /C:3", true, {kCoded}};
    shared.fileAfter = {"log.csv", {kCsvHeader,
     "{time},COM1,OK,,Zerk8QA version 2.05,,{dir}/app.hex,11D00,{s}",
     "{time},COM3,OK,,Zerk8QA version 2.05,,{dir}/app.hex,11D00,{s}"}};
    rows.insert(rows.end(), {killed, shared,
    {"BenchDatabaseUnreachable", "--db with a PostgreSQL server that cannot be reached: status 2 "
     "with libpq's reason, before any port is opened", "",
     "--db postgresql:///line?host={dir}/nowhere --count 1 " + kCode, {GoodHex()}, 2, {},
     "tovrel: --db: postgresql:///line?host={dir}/nowhere: connection to server on socket "
     "\"{dir}/nowhere/.s.PGSQL.5432\" failed: No such file or directory Is the server running "
     "locally and accepting connections on that socket?\n", kUntouched, kNothingSent},
    {"BenchDatabaseFolderMissing", "--db with an SQLite file in a folder that does not exist: "
     "status 2 with the reason, before any port is opened", "",
     "--db {dir}/no/line.db --count 1 " + kCode, {GoodHex()}, 2, {},
     "tovrel: --db: {dir}/no/line.db: unable to open database file (No such file or directory)\n",
     kUntouched, kNothingSent}});
    // What a loop must keep: one reading of the files, the numbers, the sequences, the patience.
    rows.insert(rows.end(), {
    {"BenchPipeForEveryBoard", "reads the download file once for the whole loop: from a pipe the "
     "second board gets the same code", "--new-board-after=U:*:300", "--count 2 /dev/stdin /R",
     {{"-", ExampleHex}}, 0, {"COM1" + kBoardOK + "-, {s} s", "COM1" + kBoardOK + "-, {s} s",
     "TOTAL: 2 boards, 2 OK, 0 FAILED"}, "", kCodeFile},
    WithFileAfter({"BenchUnitDataToldItsNumber", "tells the unit-data command the board's serial "
     "number (TOVREL_SERIAL)", "", "--unit-data echo${IFS}$TOVREL_SERIAL>{dir}/told;echo${IFS}"
     "8,0,0,0,0 " + kNumbers + kCode, {GoodHex()}, 0, {"DOWNLOADING SERIAL NUMBER [1001]: ... OK",
     "DOWNLOADING UNIT DATA:..........OK"}, "", "code file, data other, security FF, bootload FF"},
     "told", {"1001"}),
    {"BenchAfterSequenceOfItsOwn", "runs --after's sequence at the end, --before's before the "
     "reset (here a line a pseudo-terminal lacks fails only the end)", "",
     "--ports COM1 --before=W0 --after=D0 " + kCode, {GoodHex()}, 1,
     {"COM1: RESULT FAILED (run), device Zerk8QA version 2.05, serial -, {s} s"},
     Prefixed("COM1", "Warning: Cannot set DTR on COM1 ({tty}): Inappropriate ioctl for device\n"),
     kCodeFile},
    {"BenchOneLostReplyIsNoBoardGone", "counts a board gone after a second without an answer, "
     "not after one lost answer", "--drop-reply=ID:4 --new-board-after=ID:6:1500",
     "--count 2 " + kCode, {GoodHex()}, 0, {"COM1" + kBoardOK + "-, {s} s",
     "COM1" + kBoardOK + "-, {s} s", "TOTAL: 2 boards, 2 OK, 0 FAILED"}, "", kCodeFile,
     {"ID", 10, ""}},
    // The unit data takes the number before the erase, which the device (one that stays at
    // 9600 baud) refuses.
    WithFileAfter({"BenchFailedBoardGivesItsNumberBack", "gives the number of a board that failed "
     "before the number reached it to the next board", "--id=Kaz 8QC    205 --reply-byte=A:1:15 "
     "--new-board-after=A:1:1500", "--count 2 --unit-data echo${IFS}8,0,0,0,0 " + kNumbers + kCode
     + " /R", {GoodHex()}, 1, {"COM1: RESULT FAILED (erase), device Zerk8QC version 2.05, serial "
     "-, {s} s", "COM1: RESULT OK, device Zerk8QC version 2.05, serial 1001, {s} s",
     "TOTAL: 2 boards, 1 OK, 1 FAILED"}, "",
     "code file, data other, security FF, bootload FF"}, "numbers.txt", {"next 1002", "free"}),
    // The limit holds standard output too: the log is near it already, the output far below.
    Limited({"BenchLogLineLost", "fails a board whose log line cannot be written at step record, "
     "good as it is on the wire: status 1", "", "--log {dir}/log.csv " + kCode, {GoodHex(), {"log.csv",
     Text("time,port,result,step,device,serial,file,checksum,seconds\n" + std::string(900, 'x') +
     "\n")}}, 1, {kCoded},
     "Warning: Cannot write to the production log {dir}/log.csv\nNo space left on device\n",
     kCodeFile}, 1000)});
    rows.insert(rows.end(), {
    {"BenchBoardPulledAtTheFastRate", "a board pulled mid-download leaves the port at 115200 baud "
     "(the way back unanswered); the loop polls at the boot rate again and programs the next board",
     "--new-board-after=Q:1:4000", "--count 2 " + kCode, {GoodHex()}, 1,
     {"COM1: RESULT FAILED (code), device Zerk8QA version 2.05, serial -, {s} s",
      "COM1" + kBoardOK + "-, {s} s", "TOTAL: 2 boards, 1 OK, 1 FAILED"}, kBaudError, kCodeFile},
    {"BenchSerialAddressInTheDataFile", "refuses a serial number whose address the data file also "
     "writes, naming both, before anything is erased; no number is spent", "",
     kNumbers + kCodeAndData, {GoodHex(), Data([] { return ExampleData() + "600,01,02,03,04\r\n"; })},
     1, {"", kConfig, kResetOk, kUp, kBack}, "Warning: The serial number's data-flash address 600 "
     "(--serial-at) is written by other data too: nothing is erased\n{dir}/data.txt, line 5\n",
     kUntouched, {"ID", 2, "ACWQVESFU"}, Port::Sim, {}, {}, {}, {"numbers.txt", {"free"}}}});
    // A number file reached through two links: both runs share the one file.
    FaultCase linked{"BenchSerialFileThroughLinks", "follows a number file's symbolic link to the "
     "real file, so two stations that share it through links never give one number twice", "",
     "--count 1 --serial 1001 --serial-at 600 --serial-file {dir}/a/link " + kCode,
     {GoodHex(), {"a/", {}}, {"b/", {}}, {"a/link", Text("../numbers.txt"), CaseFile::Made::Link},
      {"b/link", Text("../numbers.txt"), CaseFile::Made::Link}}, 0, {"COM1" + kBoardOK + "1001, {s} s"},
     "", ""};
    linked.second = {"--count 1 --serial 1001 --serial-at 600 --serial-file {dir}/b/link " + kCode,
                     false, {"COM1" + kBoardOK + "1002, {s} s"}};
    linked.fileAfter = {"numbers.txt", {"next 1003", "free"}};
    // The serial frame went out and was refused: the number is spent, the next board's is new.
    FaultCase spent{"BenchSerialSpentOnAFailedBoard", "a board that fails once its number's frame "
     "went out keeps the number in its record; the next board gets the next number",
     "--reply-byte=E:1:15", "--count 1 " + kNumbers + kCode, {GoodHex()}, 1,
     {"DOWNLOADING SERIAL NUMBER [1001]: ... failed",
      "COM1: RESULT FAILED (serial), device Zerk8QA version 2.05, serial 1001, {s} s"}, "", ""};
    spent.second = {"--count 1 " + kNumbers + kCode, false, {"COM1" + kBoardOK + "1002, {s} s"}};
    spent.fileAfter = {"numbers.txt", {"next 1003", "free"}};
    FaultCase gone{"BenchSerialFileGone", "a number file removed mid-run fails the next board at "
     "step serial, before anything is erased, instead of starting again at FIRST",
     "--new-board-after=U:*:300", "--count 2 " + kNumbers + "--unit-data rm${IFS}{dir}/numbers.txt "
     + kCode + " /R", {GoodHex()}, 1, {"COM1" + kBoardOK + "1001, {s} s",
     "COM1: RESULT FAILED (serial), device Zerk8QA version 2.05, serial -, {s} s",
     "TOTAL: 2 boards, 1 OK, 1 FAILED"}, "Warning: No serial number could be reserved for this "
     "board: {dir}/numbers.txt: the file has gone since this run began\n", kUntouched};
    FaultCase sleeper{"BenchUnitDataStoppedTwice", "a unit-data command that closed its output and "
     "sleeps on is killed at the second SIGTERM; nothing erased, status 143", "",
     "--unit-data sh${IFS}{dir}/sleeper.sh " + kCode,
     {GoodHex(), {"sleeper.sh", Text("exec >&- 2>&-\nexec sleep 100\n")}}, 143,
     {"RESETTING PART: OK"}, "tovrel: stopped by SIGTERM\n", kUntouched, {"ID", 2, kAll},
     Port::Sim, {SIGTERM, "ID", 2, 2}};
    // The file-size limit cuts the new line short; the earlier lines leave room below it for
    // whatever else the run writes (standard output, the port's lock file).
    std::string before = kCsvHeader + "\n";
    for (int i = 0; i < 10; ++i) before += kEarlierRecord + "\n";
    FaultCase cut{"BenchLogLineCutShort", "a log line the disk has no room for is cut back off "
     "(the file as it was), said, status 1", "", "--log {dir}/log.csv " + kCode,
     {GoodHex(), {"log.csv", Text(before)}}, 1, {}, "Warning: Cannot write to the production "
     "log {dir}/log.csv\nNo space left on device\n", kCodeFile};
    cut.fileAfter = {"log.csv", Words(10, "{time},COM1,OK,,Zerk8QA version 2.05,,/e/app.hex,11D00,{s}")};
    cut.fileAfter.second.push_back(kCsvHeader);
    cut.fileSizeLimit = static_cast<long>(before.size()) + 21;
    FaultCase planted{"BenchPlantedLink", "writes its number file through a temporary file of its "
     "own: a symbolic link planted at the old fixed name is never followed", "",
     "--count 1 " + kNumbers + kCode, {GoodHex(), {"victim.txt", Text("precious\n")},
      {"numbers.txt.new", Text("victim.txt"), CaseFile::Made::Link}}, 0,
     {"COM1" + kBoardOK + "1001, {s} s"}, "", ""};
    planted.fileAfter = {"victim.txt", {"precious"}};
    rows.insert(rows.end(), {linked, spent, gone, sleeper, cut, planted,
    {"ReadBackPortsOfOneName", "refuses --ports whose per-port files would be one file (names "
     "that end alike): status 2, nothing opened", "",
     "--read {dir}/old.hex --ports {dir}/x/b1,{dir}/y/b1", {}, 2, {}, "tovrel: --ports: two ports "
     "would write into one file, {dir}/old-b1.hex (their names end alike)\ntovrel: see tovrel "
     "--help\n", "", kNothingSent},
    {"BenchOneDeviceTwice", "refuses --ports that name one device twice (here COM1 and COM2 "
     "mapped to it): status 2, nothing opened", "", "--ports COM1,COM2 " + kCode, {GoodHex()}, 2,
     {}, "tovrel: --ports: COM1 and COM2 name one device\n", "", kNothingSent},
    {"TraceOnAFullDisk", "says once that the trace cannot be written and runs on", "",
     kCode + " --trace /dev/full", {GoodHex()}, 0, kGood, "tovrel: --trace: cannot write to "
     "\"/dev/full\": No space left on device\n", kCodeFile},
    {"AfterWaitStopped", "ends an --after wait at the stop signal: status 143 at once", "",
     kCode + " --after W60", {GoodHex()}, 143, kGood, "tovrel: stopped by SIGTERM\n", kCodeFile,
     {}, Port::Sim, {SIGTERM, "B", 2}}});
    return rows;
}

std::vector<FaultCase> Rows() {
    std::vector<FaultCase> rows{
    // The device and the line.
    {"DeviceSilentAtReset", "reports the reset failed with the checklist, sends nothing more",
     "--silent", kCode, {GoodHex()}, 1, {"RESETTING PART: failed"}, kResetFailed, kUntouched,
     {"ID", 1, kAll}},
    {"ForeignDevice", "refuses a device whose identification does not start with \"Kaz 8\": "
     "the reset fails, nothing more is sent",
     "--id=Zerk8QA    205", kCode, {GoodHex()}, 1, {"RESETTING PART: failed"}, kResetFailed,
     kUntouched, {"ID", 1, kAll}},
    {"EraseAnsweredOtherByte", "reports the erase failed, sends no code, returns to 9600 baud",
     "--reply-byte=A:1:41", kCode, {GoodHex()}, 1,
     {"", kConfig, kResetOk, kUp, "ERASING CODE AND DATA... failed", kBack}, "", kUntouched,
     {"A", 1, "WQVESFU"}},
    {"RecordRefusedInStandardDownload", "reports the code download failed, sends no further record",
     "--id=Kaz 8QB    205 --reply-byte=W:5:15", kCode, {GoodHex()}, 1,
     {kSum, kFailedTwice, kBack}, "", "", {"W", 5, "WQVESFU"}},
    {"PageRefusedInQuickDownload", "reports the code download failed, sends no further page (the "
     "standard download that follows sends nothing)",
     "--reply-byte=Q:2:15", kCode, {GoodHex()}, 1, {kSum, kFailedTwice, kFailed, kBack}, "", "",
     {"Q", 2, "WQVESFU"}},
    {"AnswerLate600ms", "counts an answer after the 500 ms time-out as a failure",
     "--delay-reply=Q:1:600", kCode, {GoodHex()}, 1, {kSum, kFailedTwice, kFailed, kBack}, "", "",
     {"Q", 1, "WQVESFU"}},
    {"StrayBytesBeforeAnswer", "counts a stray byte in place of 06 as a failure; the rest is "
     "discarded before the next message, so the return to 9600 baud succeeds",
     "--stray=Q:1:55AA", kCode, {GoodHex()}, 1, {kSum, kFailedTwice, kFailed, kBack}, "", "",
     {"Q", 1, "WQVESFU"}},
    {"Chatter06ThenRefusals", "discards what arrived before each message: 06 bytes sent unasked "
     "never acknowledge the pages the device refuses, the code download fails",
     "--stray=A:1:06060606060606060606060606060606 --reply-byte=Q:*:15", kCode,
     {Hex(SlowToCheck)}, 1, {kFailedTwice, kFailed, kBack}, "", "", {"A", 1, "WVESFU"}},
    {"VerifyFails19Times", "reads the page again: the 20th read matches, the verify passes",
     "--corrupt-verify=0:19", kCodeVerify, {GoodHex()}, 0, {kCoded, kVerified, kBack}, "",
     kCodeFile},
    {"VerifyFails20Times", "gives up after 20 failed reads: the verify fails",
     "--corrupt-verify=0:20", kCodeVerify, {GoodHex()}, 1,
     {kCoded, "VERIFYING USER CODE: ... failed", kBack}, "", kCodeFile},
    {"ShortVerifyAnswer", "counts a short page read as one failed read and reads again",
     "--short-reply=V:1:100", kCodeVerify, {GoodHex()}, 0, {kCoded, kVerified, kBack}, "",
     kCodeFile},
    {"HangUpDuringDownload", "ends at once with status 1: the code download failed, then one line "
     "names the port and the system's reason; nothing more is tried",
     "--hangup-after=Q:2", kCode, {GoodHex()}, 1,
     {"", kConfig, kResetOk, kUp, kErased, kSum, kFailedTwice, kPortLost}, "", ""},
    {"HangUpDuringVerify", "the same when the line hangs up during the verify: no data, no run, "
     "no way back to 9600", "--hangup-after=V:3", kCodeAndData + " /V /R",
     {GoodHex(), Data(ExampleData)}, 1, {"", kConfig, kResetOk, kUp, kErased, kSum, kCoded,
     "VERIFYING USER CODE: ... failed", kPortLost}, "", ""},
    {"FastSwitchRefused", "returns from the rate it had before the refused switch: the code goes "
     "down at 9600, the way back succeeds", "--reply-byte=B:1:15", kCode, {GoodHex()}, 1,
     {"Baudrate = 9600... failed", kErased, kSum, kCoded, kBack}, kBaudError, kCodeFile},
    {"StandardDownloadVerified", "writes the file record by record (a profile without the quick "
     "download) and reads it back", "--id=Kaz 8QB    205", kCodeVerify, {GoodHex()}, 0,
     {kCoded, kVerified, kBack}, "", kCodeFile},
    {"OtherCrystal16MHz", "talks at the rate a 16 MHz crystal gives (/X:16: 14399 baud, the "
     "device's 14400 within its tolerance) and downloads and verifies",
     "--fcore=16000000", kCodeVerify + " /X:16", {GoodHex()}, 0,
     {"", "Configuration: COM1, 14399 baud", kResetOk, kUp, kErased, kSum, kCoded, kVerified,
      "Baudrate = 14399... OK"}, "", kCodeFile},
    // The port.
    {"PortHeldByAnotherProgram", "shows \"Error encountered while Opening Port\" with the port, "
     "its device and Qt's reason, and \"Com Port Already Open by another host\" (at start-up and "
     "again at the reset), sends nothing, status 1",
     "", kCode, {GoodHex()}, 1, {kConfig},
     Held("{tty}): Permission error while locking the device"), kUntouched, kNothingSent,
     Port::Held},
    {"PortDoesNotExist", "shows \"Error encountered while Opening Port\" with the reason (`COM1 "
     "(path): No such file or directory`) and then \"No such device\", with where to find the "
     "ports there are (at start-up and again at the reset); sends nothing, status 1",
     "", kCode, {GoodHex()}, 1, {kConfig}, Missing("{dir}/no-such-tty"), kUntouched,
     kNothingSent, Port::Missing},
    {"PortWithoutPermission", "the same two messages as a port held by another program, the "
     "reason being \"Permission denied\"; status 1 (as root the program is run as nobody)",
     "", kCode, {GoodHex()}, 1, {kConfig}, Held("{tty}): Permission denied"), kUntouched,
     kNothingSent, Port::NoPermission},
    // The command line, and the program's start.
    {"BootloadWithoutBootloadMode", "ignores /B on a device whose profile has no bootload mode: "
     "the code starts where /R:hhhh says", "", kCode + " /B /R:0040",
     {GoodHex(), Profile([] { return ProfileWith("BootloadOption", "BootloadOption = False"); })},
     0, {kCoded, kBack, "STARTING USER CODE: ... OK"}, "", kCodeFile, {"070E045500004067", 1, ""}},
    {"DoubleDashEndsTheOptions", "takes the word after \"--\" as the download file, though it "
     "begins with \"--\"", "", "-- --app.hex /V", {}, 1, kHexRejected,
     "Warning: Cannot open file --app.hex\n", kUntouched, kNothingErased},
    {"BootloadThenRun", "sets bootload mode and starts the code at E000 in the same run (/B /R)",
     "", kCodeVerify + " /B /R /T:0", {GoodHex()}, 0,
     {"", kConfig, kResetOk, kUp, kErased, kSum, kCoded, kVerified,
      "ENABLING BOOTLOAD MODE: ... OK", kBack, "STARTING USER CODE: ... OK"}, "",
     "code file, data erased, security FF, bootload FE", {"070E045500E000", 1, "U"}},
    {"StartUpOnTheNamedPort", "identifies the device at start-up on the port /C: names (here "
     "COM2), never on COM1", "", kCode + " /C:2", {GoodHex()}, 0,
     {"Configuration: COM2, 9600 baud", kResetOk, kCoded, kBack}, "", kCodeFile, {},
     Port::OnCom2},
    {"SerialSafeNotConfirmed", "answers the serial-safe question (/S:2) No without "
     "TOVREL_CONFIRM_SERIAL_SAFE=yes, says so, and sends no security bits",
     "", kCodeAndData + " /S:2", {GoodHex(), Data(ExampleData)}, 0, kGoodData, kNotConfirmed,
     kBothFiles, {"", 0, "S"}},
    {"SerialSafeAnsweredNo", "the same with TOVREL_CONFIRM_SERIAL_SAFE=no",
     "", "TOVREL_CONFIRM_SERIAL_SAFE=no " + kCodeAndData + " /S:2", {GoodHex(), Data(ExampleData)},
     0, kGoodData, kNotConfirmed, kBothFiles, {"", 0, "S"}},
    {"SerialSafeConfirmed", "with TOVREL_CONFIRM_SERIAL_SAFE=yes says the serial downloader will "
     "be disabled and sends the serial-safe bits, 03; the data flash keeps its contents",
     "", "TOVREL_CONFIRM_SERIAL_SAFE=yes " + kCodeAndData + " /S:2",
     {GoodHex(), Data(ExampleData)}, 0, {kData, "DOWNLOADING SECURITY BITS: ... OK", kBack},
     kConfirmed + kConfirmed, "code file, data file, security 03, bootload FF",
     {"070E025303A8", 1, "S"}},
    {"CommandLineWithDisplay", "with a display, runs a command line without the window and "
     "ends with its status: 0 when it succeeds", "", kWithDisplay + kCode, {GoodHex()}, 0,
     kGood, "", kCodeFile},
    {"CommandLineWithDisplayFails", "the same with a display: status 1 when a step fails (here "
     "the erase)", "--reply-byte=A:1:15", kWithDisplay + kCode, {GoodHex()}, 1,
     {"", kConfig, kResetOk, kUp, "ERASING CODE AND DATA... failed", kBack}, "", kUntouched},
    {"NoDisplayNoCommandLine", "says there is no display for the window: status 2, no port "
     "touched", "", "", {}, 2, {}, "tovrel: no display to open the main window on (neither DISPLAY "
     "nor WAYLAND_DISPLAY is set); give a command line to download without one, see tovrel "
     "--help\n", "", kNothingSent},
    {"Version", "prints its version and touches no port", "", "--version", {}, 0,
     {std::string("Tovrel ") + TOVREL_VERSION}, "", "", kNothingSent},
    // The developer's bench.
    {"ModemLinesOnAPseudoTerminal", "fails the reset when --before sets a line the port does not "
     "have (a pseudo-terminal has no modem lines), with the system's reason; sends nothing",
     "", kCode + " --before=R1|D1|W0.05", {GoodHex()}, 1, {"", kConfig, "RESETTING PART: failed"},
     kNoRts + kNoRts + kResetFailed, kUntouched, kNothingSent},
    {"ReadBackHangUp", "fails the read-back when the line hangs up during the page reads, names "
     "the port and writes no file; status 1", "--hangup-after=V:3", "--read {dir}/back.hex", {}, 1,
     {"", kConfig, kResetOk, kUp, "READING CODE [{dir}/back.hex]:..........Failed", kPortLost}, "",
     kUntouched, {"V", 3, "ACWQVESFU"}},
    Limited(WithFileAfter({"ReadBackNotWrittenKeepsTheOldFile", "writes the file aside and "
     "renames it: a write that fails leaves the old file as it was", "", "--read {dir}/back.bin",
     {{"back.bin", Text("old\n")}}, 1, {"READING CODE [{dir}/back.bin]:..........Failed", kBack},
     "Warning: Cannot write file {dir}/back.bin\n", kUntouched}, "back.bin", {"old"}), 1000),
    // Signals, and a log nobody reads.
    {"InterruptedDuringDownload", "finishes the exchange under way, sends no further page, takes "
     "the device back to 9600 baud, closes the port, saves the settings and ends with status 130 "
     "(SIGINT; 143 for SIGTERM, 129 for SIGHUP)",
     "--delay-reply=Q:2:300", kCode, {GoodHex()}, 130, {kSum, kFailedTwice, kFailed, kBack},
     "tovrel: stopped by SIGINT\n", "", {"Q", 2, "WQVESFU"}, Port::Sim, {SIGINT, "Q", 2}},
    {"TerminatedAt9600", "ends the verify after the page under way; a device never switched to "
     "the fast rate gets nothing more at all: status 143",
     "--id=Kaz 8QC    205 --delay-reply=V:10:300", kCodeVerify, {GoodHex()}, 143,
     {kCoded, "VERIFYING USER CODE: ... failed"}, "tovrel: stopped by SIGTERM\n", "",
     {"V", 10, "BWQVESFU"}, Port::Sim, {SIGTERM, "V", 10}},
    {"TerminatedWithDisplay", "with a display, a stop closes the message box that waits for the "
     "operator and ends the run as without one: status 143",
     "--silent", kWithDisplay + kQuietQt + kCode, {GoodHex()}, 143, {"", kConfig, "RESETTING PART: failed"},
     "tovrel: stopped by SIGTERM\n", kUntouched, {"ID", 2, "ACBWQVESFU"}, Port::Sim,
     {SIGTERM, "ID", 2}},
    {"LogReaderGone", "stops writing the log when nobody reads standard output (SIGPIPE), "
     "finishes the run and returns its status", "", kCodeVerify, {GoodHex()}, 0, {}, "", kCodeFile,
     {"V", 248, "WQ"}, Port::Sim, {SIGPIPE}},
    // Download files.
    {"HexEmpty", "rejects it as no program, before anything is erased", "", kCode,
     {Hex(Text(""))}, 1, {kUp, "failed......error in hex file",
     "CheckSum of [{dir}/app.hex] is 0hex - 0 Dec", kBack}, kBadHex, kUntouched, kNothingErased},
    {"HexExtendedAddressNotZero", "rejects a file with data above 64 KB (an extended address "
     "record that is not 0) before anything is erased", "", kCode,
     {Hex([] { return ":020000040001F9\r\n" + ExampleHex(); })}, 1, kHexRejected,
     "Warning Hex File: Hex file {dir}/app.hex holds an extended address record that is not 0: "
     "its data lies above 64 KB, where no device of this family has code flash. Nothing of it is "
     "sent\n", kUntouched, kNothingErased}};
    AddVariants(rows, {"Hex", "rejects the file before anything is erased", "", kCode, {GoodHex()},
                       1, kHexRejected, kBadHex, kUntouched, kNothingErased}, kDamages);
    rows.insert(rows.end(), {
    {"HexMillionLines", "checks all of it and downloads it", "", kCode, {Hex(MillionLines)}, 0,
     {kErased, "CheckSum of [{dir}/app.hex] is 1E218D00hex - 505515264 Dec", kCoded}, "",
     kCodeFile}});
    AddVariants(rows, {"Hex", "", "", kCode, {GoodHex()}, 0, kGood, "", kCodeFile}, kSpellings);
    rows.insert(rows.end(), {
    {"HexEndOfFileByte", "downloads it: a last line that is no record (here the byte 1A hex) is "
     "not content", "", kCode, {Hex([] { return ExampleHex() + "\x1A"; })}, 0,
     {kErased, "CheckSum of [{dir}/app.hex] is 11E00hex - 73216 Dec", kCoded, kBack}, "",
     kCodeFile},
    {"HexFromPipe", "reads the file once: from a pipe (/dev/stdin) it is checked, downloaded and "
     "verified", "", "/dev/stdin /V", {{"-", ExampleHex}}, 0,
     {"CheckSum of [/dev/stdin] is 11D00hex - 72960 Dec",
      "DOWNLOADING CODE [/dev/stdin]:..........OK", kVerified, kBack}, "", kCodeFile,
     {"Q", 3, "W"}},
    {"HexEndless", "reads no more than 64 MiB: says the file is too large, erases nothing",
     "", "/dev/zero", {}, 1, kHexRejected, "Warning: File /dev/zero is larger than 64 MiB, far "
     "beyond any download file: nothing of it is sent\n", kUntouched, kNothingErased},
    {"HexBeyondCodeSize", "rejects the file before anything is erased", "", kCode,
     {Hex([] { return HexRecord(0xF800, 0x11) + "\r\n" + ExampleHex(); })}, 1,
     kHexRejected, "Warning Hex File: Hex File too big\n", kUntouched, kNothingErased},
    {"HexMissing", "reports it cannot open the file, erases nothing", "", kCode, {}, 1,
     kHexRejected, "Warning: Cannot open file {dir}/app.hex\n", kUntouched, kNothingErased},
    // Data-flash files.
    {"DataEmpty", "rejects it as no data before anything is erased", "", kCodeAndData,
     {GoodHex(), Data(Text(""))}, 1, kDataFailed, kBadData, kUntouched, kNothingErased}});
    AddVariants(rows, {"Data", "rejects the file before anything is erased", "", kCodeAndData,
                       {GoodHex(), Data(ExampleData)}, 1, kDataFailed, kBadData, kUntouched,
                       kNothingErased}, kDamages);
    AddVariants(rows, {"Data", "", "", kCodeAndData, {GoodHex(), Data(ExampleData)}, 0, kGoodData,
                       "", kBothFiles}, kSpellings);
    rows.insert(rows.end(), {
    {"DataEndOfFileByte", "downloads it: a last line without a comma is not content", "",
     kCodeAndData, {GoodHex(), Data([] { return ExampleData() + "\x1A"; })}, 0, kGoodData, "",
     kBothFiles},
    {"DataPageBeyondDataSize", "passes the check; the device refuses the page and the data "
     "download fails", "", kCodeAndData,
     {GoodHex(), Data([] { return ExampleData() + "640,01,02,03,04\r\n"; })}, 1,
     {kCoded, "DOWNLOADING DATA [{dir}/data.txt]:..........Failed", kBack},
     "Warning: Error encountered while dowloading the data, please retry.\n", kBothFiles},
    // On a bench port's own thread, where no signal interrupts a blocking open.
    {"DataFifoWithoutWriter", "waits for a data file that is a FIFO nobody writes to until the "
     "stop signal, which ends the wait at once: nothing erased, back to 9600 baud, status 143",
     "", "--ports COM1 " + kCodeAndData, {GoodHex(), {"data.txt", {}, CaseFile::Made::Fifo}}, 143,
     {"COM1: " + kUp, "COM1: " + kBack, "COM1: RESULT INTERRUPTED (data), device Zerk8QA version "
     "2.05, serial -, {s} s"}, "tovrel: stopped by SIGTERM\n", kUntouched,
     {"ID", 2, "ACWQVESFU"}, Port::Sim, {SIGTERM, "B", 1, 2}},
    // Device profiles.
    {"ProfileEmpty", "runs on without its values: both rate changes fail (each logged as "
     "\"Baudrate = 9600... failed\"), the code still goes down, status 1",
     "", kCode, {GoodHex(), Profile(Text(""))}, 1, {kResetOk, kSlowFailed, kCoded, kSlowFailed},
     ProfileErrors(12, true), kCodeFile},
    {"ProfileGarbage", "shows \"Error in Line n\" for each bad line, then runs on as with an "
     "empty profile: status 1", "", kCode, {GoodHex(), Profile(Garbage)}, 1,
     {kResetOk, kSlowFailed}, ProfileErrors(12, true), ""},
    {"ProfileWithoutCodeSize", "reads the lines by position: every line after the gap is shown "
     "as \"Error in Line n\", the rate changes fail, status 1",
     "", kCode, {GoodHex(), Profile([] { return ProfileWith("CodeSize"); })}, 1,
     {kResetOk, kSlowFailed}, ProfileErrors(12, false), ""},
    {"ProfileCodeSizeNotANumber", "shows \"Error in Line 1\" and goes on; the download succeeds, "
     "status 0 (open question)",
     "", kCode, {GoodHex(), Profile([] { return ProfileWith("CodeSize", "CodeSize = lots"); })}, 0,
     kGood, ProfileErrors(1, false, 0), kCodeFile},
    {"ProfileLine100000Chars", "reads the lines by position: every line is shown as \"Error in "
     "Line n\", the rate changes fail, status 1",
     "", kCode, {GoodHex(), Profile([] { return std::string(100000, 'x') + "\n" + Shipped(); })}, 1,
     {kResetOk, kSlowFailed}, ProfileErrors(12, true), ""},
    {"ProfileCrLfAndBom", "reads it as usual, without a message", "", kCode,
     {GoodHex(), Profile([] { return "\xEF\xBB\xBF" + WithLineEnds(Shipped(), "\r\n"); })},
     0, kGood, "", kCodeFile},
    // Settings.
    {"SettingsCorrupt", "starts from the defaults and runs", "", kCode,
     {GoodHex(), {"config/Tovrel/Tovrel.conf", Garbage}}, 0, kGood, "", kCodeFile},
    {"SettingsNotReadable", "starts from the defaults and runs; at the end says the settings could "
     "not be saved to that file", "", kCode, {GoodHex(), {"config/Tovrel/Tovrel.conf/", {}}}, 0,
     kGood, "Warning: The settings could not be saved to {dir}/config/Tovrel/Tovrel.conf\n",
     kCodeFile},
    {"SettingsWithoutHome", "writes nothing under /: says the settings were not saved, as neither "
     "HOME nor XDG_CONFIG_HOME names a folder for them",
     "", "HOME= XDG_CONFIG_HOME= " + kCode, {GoodHex()}, 0, kGood, "Warning: The settings were "
     "not saved: neither HOME nor XDG_CONFIG_HOME is set, so there is no folder for "
     "Tovrel/Tovrel.conf\n", kCodeFile}});
    for (const FaultCase& row : BenchRows()) rows.push_back(row);
    return rows;
}
// clang-format on

}  // namespace

const std::vector<FaultCase>& FaultCases() {
    static const std::vector<FaultCase> rows = Rows();
    return rows;
}

// Under wine a port's device is \\.\COMn, a line that hung up reads as the system's "not
// ready", and a modem line a pseudo-terminal lacks as a request not supported; a rate wine
// cannot set on a pseudo-terminal is skipped.
const std::vector<FaultCase>& WineCases() {
    static const std::vector<FaultCase> rows = [] {
        const auto row = [](const std::string& name) {
            return *std::find_if(FaultCases().begin(), FaultCases().end(),
                                 [&name](const FaultCase& r) { return r.name == name; });
        };
        const std::string lost = "PORT ERROR: COM1 (\\\\.\\COM1): Not ready.";
        FaultCase hangUp = row("HangUpDuringDownload"), hangUpVerify = row("HangUpDuringVerify");
        hangUp.out.back() = hangUpVerify.out.back() = lost;
        FaultCase crystal = row("OtherCrystal16MHz"), modem = row("ModemLinesOnAPseudoTerminal");
        crystal.notUnderWine =
            "wine sets a rate that is no standard one (14399 baud) as 38400 on a pseudo-terminal";
        const std::string noRts =
            "Warning: Cannot set RTS on COM1 (\\\\.\\COM1): Request not supported.\n";
        modem.err = noRts + noRts + kResetFailed;
        // The second device answers the erase late, so the first takes the first number.
        FaultCase bench =
            Bench({"BenchTwoPortsSerialsAndLog",
                   "two ports at once, each board its serial number and a line in the log",
                   "",
                   "--ports COM3,COM4 --log {dir}/log.csv " + kNumbers + kCode,
                   {GoodHex()},
                   0,
                   {"COM3" + kBoardOK + "1001, {s} s", "COM4" + kBoardOK + "1002, {s} s"},
                   "",
                   kUntouched,
                   kNothingSent},
                  {"", "--delay-reply=A:1:400"});
        bench.fileAfter = {
            "log.csv",
            {kCsvHeader, "{time},COM3,OK,,Zerk8QA version 2.05,1001,{dir}/app.hex,11D00,{s}",
             "{time},COM4,OK,,Zerk8QA version 2.05,1002,{dir}/app.hex,11D00,{s}"}};
        return std::vector<FaultCase>{
            {"QuickDownloadVerified",
             "",
             "",
             kCodeVerify,
             {GoodHex()},
             0,
             {"", kConfig, kResetOk, kUp, kErased, kSum, kCoded, kVerified, kBack},
             "",
             kCodeFile},
            row("StandardDownloadVerified"),
            row("DeviceSilentAtReset"),
            hangUp,
            hangUpVerify,
            bench,
            crystal,
            modem};
    }();
    return rows;
}

}  // namespace tovrel::testing
