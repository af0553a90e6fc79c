#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "link/baud_rate.h"
#include "link/device_profile.h"
#include "link/loader_frame.h"
#include "link/port_names.h"
#include "link/reset.h"
#include "link/traced_serial_port.h"
#include "testbed/temp_dir.h"
#include "tests/support/link_fixture.h"
#include "tests/support/map_settings_store.h"
#ifdef _WIN32
#include "core/win32.h"
#endif

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using Messages = std::vector<testing::ShownMessage>;

struct Switch : testing::LinkFixture {
    Switch() {
        settings.FastBaudrate = 115200, settings.PCBaudrate = 9599;
        settings.T3CON = 0x81, settings.T3FD = 0x20, settings.T3CON9600 = 0x85;
        settings.T3FD9600 = 0x08;
    }
    bool Change(std::int32_t baudrate) { return ChangeBaudrate(link, baudrate); }
};

// The device first, then the PC; back to the rate saved before the switch, not to 9600.
TEST(ChangeBaudrate, SwitchesTheDeviceThenThePcAndBackToTheSavedRate) {
    Switch f;
    EXPECT_TRUE(f.Change(115200) && f.settings.PCBaudrate == 115200 && f.Change(9600));
    EXPECT_EQ(f.port.written, (std::vector<Bytes>{{0x07, 0x0E, 0x03, 0x42, 0x81, 0x20, 0x1A},
                                                  {0x07, 0x0E, 0x03, 0x42, 0x85, 0x08, 0x2E}}));
    f.settings.FastBaudrate = 9600;  // then one call runs both steps
    EXPECT_TRUE(f.Change(9600));
    EXPECT_EQ(f.port.openedBaudRates, (std::vector{115200, 9599, 9600, 9599}));
    f.settings.FrequencyText = "20 MHz";  // 86 01 on a 20 MHz crystal, whatever the profile has
    EXPECT_TRUE(f.Change(9600));
    EXPECT_EQ(f.port.written.back(), (Bytes{0x07, 0x0E, 0x03, 0x42, 0x86, 0x01, 0x34}));
    EXPECT_TRUE(f.host.messages.empty());
}

TEST(ChangeBaudrate, FailsWhenRefusedDisabledOrThePortDoesNotReopen) {
    Switch f;
    f.port.respond = [](const Bytes&) { return Bytes{0x15}; };
    EXPECT_FALSE(f.Change(115200));
    f.settings.FastBaudrateOption = false;  // nothing sent, nothing shown
    EXPECT_FALSE(f.Change(115200) || f.Change(9600));
    EXPECT_EQ(f.port.written.size(), 1u);
    EXPECT_EQ(f.host.messages,
              (Messages{{"Error encountered while changing baudrate", "Warning"}}));
    EXPECT_EQ(f.settings.PCBaudrate, 9599);
    EXPECT_TRUE(f.port.openedBaudRates.empty());
    f.settings.FastBaudrateOption = true;
    f.port.respond = [](const Bytes&) { return Bytes{0x06}; };
    f.port.failOpen = true;  // the device took the rate; the PC side cannot follow
    EXPECT_FALSE(f.Change(115200));
}

// A program folder for changed copies of the shipped profiles; the device is a Kaz 8QA.
struct Profile : testing::LinkFixture {
    Profile() {
        host.folder = dir.Path("bin");
        fs::create_directories(dir.Path("bin/Configuration"));
        ReplyWith("Kaz 8QA____205 padding..");
    }
    void ReplyWith(const std::string& reply) {
        port.respond = [reply](const Bytes&) { return Bytes(reply.begin(), reply.end()); };
    }
    // The model's profile with some lines (from 0) changed and the rest cut off after count.
    bool Load(const std::string& model, std::map<int, std::string> changes = {}, int count = 14) {
        const std::string name = "Configuration/Zerk8" + model + ".txt";
        std::ifstream in(fs::path(testbed::ProgramFolder()) / name);
        std::ofstream out(path = dir.Path("bin/" + name), std::ios::binary);
        std::string line;
        for (int i = 0; i < count && std::getline(in, line); ++i)
            out << (changes.contains(i) ? changes[i] : line) << "\r\n";
        out.close();
        return LoadDeviceProfile(link, path);
    }
    testbed::TempDir dir;
    std::string path;
};

// A profile, the other crystal's text, the lines it cannot take and the values it leaves. A bad
// line keeps its field; a bad crystal line skips the clock line, read then as line 14.
struct ProfileCase {
    const char* name;
    const char* model;
    const char* frequency;
    std::map<int, std::string> changes;
    std::vector<int> errors;
    std::int32_t fcore, pcBaudrate, fastBaudrate;
    int t3con, t3fd;
    std::int32_t codeSize = 63488;
    bool quick = true;
    int lines = 14;
};
class ProfileRows : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileRows, FollowTheLinesAndTheClock) {
    const ProfileCase& c = GetParam();
    Profile f;
    Settings& s = f.settings;
    s.CodeSize = 4096, s.QuickDownloadOption = false, s.fcore = 1843200, s.PCBaudrate = 4800;
    if (c.frequency) s.XTAL = 2, s.FrequencyText = c.frequency;
    EXPECT_TRUE(f.Load(c.model, c.changes, c.lines));
    EXPECT_EQ(std::tuple(s.fcore, s.PCBaudrate, s.FastBaudrate, int(s.T3CON), int(s.T3FD)),
              std::tuple(c.fcore, c.pcBaudrate, c.fastBaudrate, c.t3con, c.t3fd));
    EXPECT_EQ(std::pair(s.CodeSize, s.QuickDownloadOption), std::pair(c.codeSize, c.quick));
    Messages errors;
    for (int n : c.errors)
        errors.push_back({"Error in Line " + std::to_string(n) + " of " + f.path, "Warning"});
    EXPECT_EQ(f.host.messages, errors);
}

// clang-format off
const ProfileCase kProfiles[] = {
    {"Shipped11MHz", "QA", nullptr, {}, {}, 11059200, 9600, 115200, 0x81, 0x20},
    // A timer pair in the file is used as it stands, though the clock is too slow to compute one.
    {"Shipped2MHzWithItsOwnTimerPair", "QD", nullptr, {}, {}, 2097152, 9600, 57600, 128, 9, 32768},
    {"Shipped12MHzClkAdjust8", "QE", nullptr, {}, {}, 12582912, 9600, 38400, 0x83, 18},
    {"ClockLimitJustReaches115200", "QA", nullptr, {{12, "fcore = 3686400"}}, {}, 3686400, 9600,
     115200, 0x80, 0},
    {"WithoutClkAdjustLine115200", "QD", nullptr, {}, {14}, 2097152, 9600, 115200, 128, 9, 32768,
     true, 13},
    // The timer divider rounds half to even where truncation would give one less.
    {"Other20MHzLine13Unread", "QA", "20", {{12, "x"}}, {}, 20000000, 9600, 115200, 0x82, 23},
    {"Other25MHz", "QA", "25", {}, {}, 25000000, 23039, 115200, 0x82, 45},
    // No PC rate goes with this crystal: the rate the device answered at stays.
    {"OtherWithoutPcRate", "QA", "265.4208", {}, {}, 265420800, 4800, 115200, 0x86, 8},
    {"CodeSizeWithoutBlanks", "QA", nullptr, {{0, "CodeSize=63488"}}, {1}, 11059200, 9600, 115200,
     0x81, 0x20, 4096},
    {"BooleanInSmallLetters", "QA", nullptr, {{2, "QuickDownloadOption = true"}}, {3}, 11059200,
     9600, 115200, 0x81, 0x20, 63488, false},
    {"ClockLineWithoutBlanks", "QA", nullptr, {{12, "fcore=11059200"}}, {13}, 1843200, 9600, 57600,
     0, 0},
    {"CrystalLineBad", "QA", nullptr, {{11, "Xtal = 0"}}, {12, 14}, 1843200, 4800, 115200, 0, 0},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Profile, ProfileRows, ::testing::ValuesIn(kProfiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Reset, ShortReplyKeepsTheOlderTailOfTheBuffer) {
    Profile f;
    ASSERT_TRUE(f.Load("QB") && f.Load("QA") && Reset(f.link));
    EXPECT_EQ(f.port.written, (std::vector<Bytes>{{0x21, 0x5A, 0x00, 0xA6}}));
    EXPECT_EQ(f.port.readCounts, (std::vector<std::size_t>{25}));
    f.ReplyWith("Kaz 8QB");
    EXPECT_TRUE(Reset(f.link));
    EXPECT_EQ(f.settings.IdString, "Kaz 8QB____205");
    EXPECT_EQ(IdentificationDisplay(f.settings), "Zerk8QB version 2.05");
}

// Silence changes nothing; a reply without the exact prefix "Kaz 8" identifies nothing.
TEST(Reset, RejectsForeignRepliesSilently) {
    // clang-format off
    for (auto [reply, id] : {std::pair{"", "before"}, {"Zerk8QA version 2.05", "Zerk8QA versio"},
         {"kaz 8QA____205 padding", "kaz 8QA____205"}, {"Kaz 9QA____205 xx", "Kaz 9QA____205"}}) {
        // clang-format on
        Profile f;
        f.Load("QA");
        f.settings.IdString = "before";
        f.ReplyWith(reply);
        EXPECT_FALSE(Reset(f.link));
        EXPECT_EQ(f.settings.IdString, id);
        EXPECT_TRUE(f.host.messages.empty());
    }
}

// The lines first, with their waits; a line the port cannot set leaves the reset unsent.
TEST(Reset, BeforeLinesGoFirstAndALineThatCannotBeSetStopsIt) {
    Profile f;
    std::string bad;
    f.link.lines.before = *ParseLineSequence("R1|D1|W0.05|D0|W0.1", bad);
    ASSERT_TRUE(f.Load("QA") && !f.port.Open("/dev/fakeCOM1", 9600));
    f.port.respond = [&f, reply = f.port.respond](const Bytes& m) {
        f.port.lineSteps.push_back("sent");
        return reply(m);
    };
    ASSERT_TRUE(Reset(f.link));
    EXPECT_EQ(f.port.lineSteps,
              (std::vector<std::string>{"R1", "D1", "W0.05", "D0", "W0.1", "sent"}));
    f.port.lineError = std::make_error_code(std::errc::inappropriate_io_control_operation);
    EXPECT_FALSE(Reset(f.link));
    EXPECT_EQ(f.port.written.size(), 1u);
    EXPECT_EQ(f.host.messages,
              (Messages{{"Cannot set RTS on COM1 (/dev/fakeCOM1): Inappropriate ioctl for device",
                         "Warning"}}));
}

// One line per event, time first; an answer has the kind of the message it answers. What an
// open found worth a note is said once per device, not at every re-open.
TEST(TracedPort, WritesEachEventOnALineOfItsOwn) {
    auto inner = std::make_unique<testing::FakeSerialPort>();
    testing::FakeSerialPort& fake = *inner;
    fake.respond = [](const Bytes& m) { return m.size() == 4 ? Bytes{'K', 'a'} : Bytes{6}; };
    fake.openNote = "latency_timer 16 ms on ttyUSB1";
    std::vector<std::string> lines;
    int ticks = 0;
    TracedSerialPort port(
        std::move(inner), [&](const std::string& line) { lines.push_back(line); },
        [] { return std::string("COM2"); }, [&] { return ticks++ / 8.0; });
    std::array<std::uint8_t, 25> buffer{};
    port.Open("/dev/ttyUSB1", 9600);
    port.SetRts(true);
    port.Sleep(0.05, {});
    port.Write(kResetMessage);
    port.Read(buffer, 25, 500);
    port.Close();
    port.Close();
    port.Open("/dev/ttyUSB1", 115200);
    port.Write(BuildLoaderFrame(kCmdEraseCode, {}));
    port.Read(buffer, 1, 500);
    fake.lineError = std::make_error_code(std::errc::inappropriate_io_control_operation);
    port.SetDtr(false);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "# tovrel trace: seconds TX|RX hex kind baud",
                         "# origin-monotonic 0.000000", "# 0.125000 open COM2 /dev/ttyUSB1 9600",
                         "# 0.250000 latency_timer 16 ms on ttyUSB1", "# 0.375000 lines RTS 1",
                         "# 0.500000 wait 0.05 s", "0.625000 TX 215A00A6 ID 9600",
                         "0.750000 RX 4B61 ID 9600", "# 0.875000 timeout 500 ms: 2 of 25 bytes",
                         "# 1.000000 close", "# 1.125000 rate 115200",
                         "1.250000 TX 070E0143BC C 115200", "1.375000 RX 06 C 115200",
                         "# 1.500000 lines DTR 0 failed: Inappropriate ioctl for device"}));
}

// A rate is set as the standard one exactly up to 1 % away from it, on either side.
TEST(StandardBaudRate, TakesTheStandardRateWithinOnePercent) {
    const std::vector<std::pair<std::int32_t, std::int32_t>> rows{
        {9599, 9600},   {14399, 14400},   {9504, 9600},   {9696, 9600},
        {9503, 9503},   {9697, 9697},     {16457, 16457}, {56001, 56000},
        {57599, 57600}, {115199, 115200}, {28, 28},       {0, 0}};
    for (const auto& [asked, set] : rows) EXPECT_EQ(StandardBaudRate(asked), set) << asked;
}

// Only a plain COM name goes into the device namespace; every other name is opened as given.
TEST(Win32DevicePath, PutsComNamesIntoTheDeviceNamespace) {
    for (const std::string name : {"COM1", "COM12", "com3"}) {
        EXPECT_EQ(Win32DevicePath(name), "\\\\.\\" + name);
    }
    for (const std::string name :
         {"\\\\.\\COM3", "COM", "COMX", "COM1a", "\\\\.\\CNCA0", "/dev/ttyS0"}) {
        EXPECT_EQ(Win32DevicePath(name), name);
    }
}

// The variable as a user sets it, in the system's own characters (UTF-16 on Windows).
void SetVariable(const std::string& name, const std::string& value) {
#ifdef _WIN32
    _wputenv_s(Wide(name).c_str(), Wide(value).c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}

TEST(MapComport, TakesTheEnvironmentBeforeTheSettingsAndKeepsItsPathWhole) {
    testing::MapSettingsStore store;
    store.Save(kSettingsApplication, kPortsSection, "COM9", "/dev/ttyS9");
    const std::string path = "/dev/serial/by-id/usb-\xC3\xA9t\xC3\xA9-\xE2\x82\xAC";  // été-€
    SetVariable("TOVREL_COM9", path);
    const PortMapping fromEnvironment = MapComport(9, store);
    SetVariable("TOVREL_COM9", "");
    EXPECT_EQ(fromEnvironment.path, path);
    EXPECT_EQ(fromEnvironment.source, PortSource::Environment);
    EXPECT_EQ(MapComport(9, store).path, "/dev/ttyS9");
}

}  // namespace
}  // namespace tovrel
