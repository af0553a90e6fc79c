#include "config/long_options.h"

#include <gtest/gtest.h>

#include "core/user_texts.h"

namespace tovrel {
namespace {

struct LineRow {
    const char* name;
    std::vector<std::string> words;
    std::vector<std::string> classic;  // the classic words left, when usable
    std::string problem;               // the filled error text, when not
};

class LongOptionLines : public ::testing::TestWithParam<LineRow> {};

TEST_P(LongOptionLines, SplitOrRefuse) {
    const LineRow& row = GetParam();
    const ParsedCommandLine line = ParseCommandLine(row.words);
    if (row.problem.empty()) {
        ASSERT_TRUE(line.Usable()) << line.errorText;
        EXPECT_EQ(line.classicWords, row.classic);
    } else {
        ASSERT_FALSE(line.Usable());
        std::string text = line.errorText;
        if (const auto at = text.find("%1"); at != std::string::npos) {
            text.replace(at, 2, line.errorArgument);
        }
        EXPECT_EQ(text, row.problem);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LongOptionLines,
    ::testing::Values(
        LineRow{"ClassicUntouched", {"--", "--odd.hex", "/V"}, {"--odd.hex", "/V"}, ""},
        LineRow{"OptionsAnywhere",
                {"/V", "--ports=COM2,/dev/ttyUSB0", "A.HEX", "--json"},
                {"/V", "A.HEX"},
                ""},
        LineRow{"EmptySequenceOverridesStored", {"A.HEX", "--before", ""}, {"A.HEX"}, ""},
        LineRow{"ReadTakesSwitchesOnly", {"--read", "OUT.HEX", "/C:3"}, {"/C:3"}, ""},
        LineRow{"Unknown", {"A.HEX", "--port", "COM1"}, {}, "unknown option --port"},
        LineRow{"NoValue", {"A.HEX", "--log"}, {}, "--log needs a value"},
        LineRow{"Twice", {"A.HEX", "--json", "--json"}, {}, "--json is given twice"},
        LineRow{
            "PortTwice", {"A.HEX", "--ports", "COM2,com2"}, {}, "--ports: com2 is listed twice"},
        LineRow{"PortBeyond32",
                {"A.HEX", "--ports", "COM33"},
                {},
                "--ports: \"COM33\" is neither COMn (n from 1 to 32), usb:SERIAL nor a device "
                "path"},
        LineRow{"UsbWithoutSerial",
                {"A.HEX", "--ports", "usb:"},
                {},
                "--ports: \"usb:\" is neither COMn (n from 1 to 32), usb:SERIAL nor a device "
                "path"},
        LineRow{"UsbTwice",
                {"A.HEX", "--ports", "usb:A1,USB:A1,usb:a1"},
                {},
                "--ports: USB:A1 is listed twice"},
        LineRow{"ListPortsAsJson", {"--json", "--list-ports"}, {}, ""},
        LineRow{"ListPortsWithFile",
                {"--list-ports", "A.HEX"},
                {},
                "--list-ports goes with nothing but --json: \"A.HEX\""},
        LineRow{"ListPortsWithPorts",
                {"--list-ports", "--ports", "COM1"},
                {},
                "--list-ports goes with nothing but --json: \"--ports\""},
        LineRow{"PortsWithC",
                {"A.HEX", "/c:3", "--ports", "COM1"},
                {},
                "/c:3 cannot be used together with --ports"},
        LineRow{"CountZero",
                {"A.HEX", "--count", "0"},
                {},
                "--count: \"0\" is not a whole number from 1 up"},
        LineRow{"SerialBeyond32Bits",
                {"A.HEX", "--serial", "4294967296", "--serial-at", "1"},
                {},
                "--serial: \"4294967296\" is not a whole number from 0 to 4294967295"},
        LineRow{
            "SerialWithoutAddress", {"A.HEX", "--serial", "7"}, {}, "--serial needs --serial-at"},
        LineRow{"BadStep",
                {"A.HEX", "--after", "R1|W61"},
                {},
                "--after: bad step \"W61\" (steps are D0, D1, R0, R1 or W<seconds>, separated by "
                "|)"},
        LineRow{"ReadWithFile",
                {"--read", "OUT.BIN", "/V", "/work/A.HEX"},
                {},
                "--read takes no download file: \"/work/A.HEX\""},
        LineRow{"ReadWithJson",
                {"--read", "OUT.BIN", "--json"},
                {},
                "--read cannot be used with --json"},
        LineRow{"NoFile", {"--ports", "COM1"}, {}, "no download file given"},
        LineRow{"ReportTakesTheDatabaseOnly",
                {"--report", "--db", "line.db", "--since", "2024-02-29", "--station", "b1"},
                {},
                ""},
        LineRow{"NoSuchDay",
                {"--report", "--db", "line.db", "--since", "2026-02-29"},
                {},
                "--since: \"2026-02-29\" is not a day YYYY-MM-DD"},
        LineRow{"ReportWithoutDatabase", {"--report"}, {}, "--report needs --db"},
        LineRow{"ReportWithFile",
                {"--report", "--db", "x", "A.HEX"},
                {},
                "--report takes no download file: \"A.HEX\""},
        LineRow{"ReportWithCount",
                {"--report", "--db", "x", "--count", "2"},
                {},
                "--report cannot be used with --count"},
        LineRow{"HistoryWithStation",
                {"--history", "7", "--db", "x", "--station", "b1"},
                {},
                "--history cannot be used with --station"},
        LineRow{"HistoryBeyond32Bits",
                {"--history", "4294967296", "--db", "x"},
                {},
                "--history: \"4294967296\" is not a serial number from 0 to 4294967295"},
        LineRow{"SerialFileWithDatabase",
                {"A.HEX", "--db", "x", "--serial", "1", "--serial-at", "2", "--serial-file", "f"},
                {},
                "--serial-file cannot be used with --db: the numbers come from the database"},
        LineRow{"StationWithoutDatabase", {"A.HEX", "--station", "b1"}, {}, "--station needs --db"},
        LineRow{"SinceWithoutReport",
                {"A.HEX", "--db", "x", "--since", "2026-01-01"},
                {},
                "--since needs --report"},
        LineRow{"ReadWithDatabase",
                {"--read", "OUT.BIN", "--db", "x"},
                {},
                "--read cannot be used with --db"},
        LineRow{"NothingAfterTheEnd", {"--"}, {}, "no download file given"}),

    [](const auto& info) { return std::string(info.param.name); });

// usb:SERIAL leads to the one adapter with that serial number, by its stable name where it
// has one; none, or two, make the line unusable before anything is opened.
TEST(UsbPorts, ResolvedOnlyToExactlyOneAdapter) {
    const DetectedPort a{"/dev/ttyUSB0", "/dev/serial/by-id/a", true, "1a2b", "3c4d", "", "", "A1"};
    const DetectedPort b{"/dev/ttyUSB1", "", true, "1a2b", "3c4d", "", "", "B2"};
    const DetectedPort twin{"/dev/ttyUSB2", "", true, "1a2b", "3c4d", "", "", "B2"};
    const DetectedPort builtIn{"/dev/ttyS0", "", false, "", "", "", "", ""};
    ParsedCommandLine line = ParseCommandLine({"--ports", "usb:A1,COM2,usb:B2", "A.HEX"});
    ResolveUsbPorts(line, {builtIn, a, b});
    ASSERT_TRUE(line.Usable());
    EXPECT_EQ(line.options.DevicePathOf("usb:A1"), "/dev/serial/by-id/a");
    EXPECT_EQ(line.options.DevicePathOf("usb:B2"), "/dev/ttyUSB1");
    EXPECT_EQ(line.options.DevicePathOf("COM2"), "COM2");
    const std::pair<std::vector<DetectedPort>, const char*> refusals[] = {
        {{a, builtIn}, kUsbPortMissingError}, {{a, b, twin}, kUsbPortTwiceError}};
    for (const auto& [found, problem] : refusals) {
        ParsedCommandLine refused = ParseCommandLine({"--ports", "usb:A1,usb:B2", "A.HEX"});
        ResolveUsbPorts(refused, found);
        EXPECT_STREQ(refused.errorText, problem);
        EXPECT_EQ(refused.errorArgument, "B2");
    }
}

TEST(LineSequence, ReadsStepsAndWritesThemBack) {
    std::string bad;
    const auto sequence = ParseLineSequence(" r1 | D1|w0.05|D0|W0.1 ", bad);
    ASSERT_TRUE(sequence);
    EXPECT_EQ(LineSequenceText(*sequence), "R1|D1|W0.05|D0|W0.1");
    EXPECT_FALSE(ParseLineSequence("R1||D0", bad));
    EXPECT_EQ(bad, "");
    EXPECT_FALSE(ParseLineSequence("W-1", bad));
    EXPECT_EQ(bad, "W-1");
}

TEST(PerPortFile, PortNameBeforeTheExtension) {
    EXPECT_EQ(PerPortFileName("out/READ.hex", "COM3"), "out/READ-COM3.hex");
    EXPECT_EQ(PerPortFileName("READ.bin", "/dev/ttyUSB0"), "READ-ttyUSB0.bin");
    EXPECT_EQ(PerPortFileName("a.d/trace", "COM1"), "a.d/trace-COM1");
}

}  // namespace
}  // namespace tovrel
