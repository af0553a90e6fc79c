#include "tests/faults/fault_rows.h"

namespace tovrel::testing {
namespace {

// The rows for device faults and the port.
std::vector<FaultCase> DeviceCases() {
    return {
        // The device and the line.
        {"DeviceSilentAtReset",
         "reports the reset failed with the checklist, sends nothing more",
         {"--silent"},
         kCode,
         {GoodHex()},
         1,
         {"RESETTING PART: failed"},
         {"Warning: Error: could not reset the device", "5. PSEN is inserted"},
         {"ID", 1, kAll}},
        {"EraseAnsweredOtherByte",
         "reports the erase failed, sends no code, returns to 9600 baud",
         {"--reply-byte", "A:1:41"},
         kCode,
         {GoodHex()},
         1,
         {kUp, "ERASING CODE AND DATA... failed", kBack},
         {},
         {"A", 1, "WQVESFU"}},
        {"RecordRefusedInStandardDownload",
         "reports the code download failed, sends no further record",
         {"--id", "Kaz 8QB    205", "--reply-byte", "W:5:15"},
         kCode,
         {GoodHex()},
         1,
         {kSum, kCoding + "..........Failed", kBack},
         {},
         {"W", 5, "WQVESFU"}},
        {"PageRefusedInQuickDownload",
         "reports the code download failed, sends no further page (the standard download that "
         "follows sends nothing)",
         {"--reply-byte", "Q:2:15"},
         kCode,
         {GoodHex()},
         1,
         {kSum, kFailedTwice, "..........Failed", kBack},
         {},
         {"Q", 2, "WQVESFU"}},
        {"AnswerLate600ms",
         "counts an answer after the 500 ms time-out as a failure",
         {"--delay-reply", "Q:1:600"},
         kCode,
         {GoodHex()},
         1,
         {kSum, kFailedTwice, "..........Failed", kBack},
         {},
         {"Q", 1, "WQVESFU"}},
        {"StrayBytesBeforeAnswer",
         "counts a stray byte in place of 06 as a failure; the rest is discarded before the "
         "next message, so the return to 9600 baud succeeds",
         {"--stray", "Q:1:55AA"},
         kCode,
         {GoodHex()},
         1,
         {kSum, kFailedTwice, "..........Failed", kBack},
         {},
         {"Q", 1, "WQVESFU"}},
        {"Chatter06ThenRefusals",
         "discards what arrived before each message: 06 bytes sent unasked never acknowledge "
         "the pages the device refuses, the code download fails",
         {"--stray", "A:1:06060606060606060606060606060606", "--reply-byte", "Q:*:15"},
         kCode,
         {GoodHex()},
         1,
         {kSum, kFailedTwice, "..........Failed", kBack},
         {},
         {"A", 1, "WVESFU"}},
        {"VerifyFails19Times",
         "reads the page again: the 20th read matches, the verify passes",
         {"--corrupt-verify", "0:19"},
         kCodeVerify,
         {GoodHex()},
         0,
         {kCoded, kVerified, kBack},
         {}},
        {"VerifyFails20Times",
         "gives up after 20 failed reads: the verify fails",
         {"--corrupt-verify", "0:20"},
         kCodeVerify,
         {GoodHex()},
         1,
         {kCoded, "VERIFYING USER CODE: ... failed", kBack},
         {}},
        {"ShortVerifyAnswer",
         "counts a short page read as one failed read and reads again",
         {"--short-reply", "V:1:100"},
         kCodeVerify,
         {GoodHex()},
         0,
         {kCoded, kVerified, kBack},
         {}},
        {"HangUpDuringDownload",
         "ends at once with status 1; the log shows the code download failed",
         {"--hangup-after", "Q:2"},
         kCode,
         {GoodHex()},
         1,
         {kFailedTwice, "..........Failed", "Baudrate = 115200... failed"},
         {kBaudError}},
        // The port.
        {"PortHeldByAnotherProgram",
         "shows \"Error encountered while Opening Port\" and \"Com Port Already Open by another "
         "host\" (at start-up and again at the reset), sends nothing, status 1",
         {},
         kCode,
         {GoodHex()},
         1,
         {"Configuration: COM1, 9600 baud"},
         {kHeld + kHeld},
         kNothingSent,
         Port::Held},
        {"PortDoesNotExist",
         "shows \"Error encountered while Opening Port\" and, as for every open that fails, "
         "\"Com Port Already Open by another host\"; sends nothing, status 1",
         {},
         kCode,
         {GoodHex()},
         1,
         {"Configuration: COM1, 9600 baud"},
         {kHeld + kHeld},
         kNothingSent,
         Port::Missing},
        {"PortWithoutPermission",
         "the same two messages as a missing port; status 1 (as root the program is run as "
         "nobody)",
         {},
         kCode,
         {GoodHex()},
         1,
         {"Configuration: COM1, 9600 baud"},
         {kHeld + kHeld},
         kNothingSent,
         Port::NoPermission},
    };
}

}  // namespace

const std::vector<FaultCase>& FaultCases() {
    static const std::vector<FaultCase> cases = [] {
        std::vector<FaultCase> rows = DeviceCases();
        for (FaultCase& row : FileCases()) rows.push_back(std::move(row));
        return rows;
    }();
    return cases;
}

}  // namespace tovrel::testing
