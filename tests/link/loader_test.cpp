#include <gtest/gtest.h>

#include <cmath>

#include "link/baud_rate.h"
#include "link/loader_frame.h"
#include "link/reset.h"
#include "link/traced_serial_port.h"
#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

using testing::Bytes;
using testing::FakeReply;
using Rates = std::vector<std::int32_t>;

// 02 + 53 + AB = 100 hex: the checksum is 00, never 100 hex cut down by luck.
TEST(LoaderFrame, ChecksumOfAWholeMultipleOf256IsZero) {
    const Bytes payload{0xAB};
    EXPECT_EQ(BuildLoaderFrame(kCmdSecurity, payload), (Bytes{0x07, 0x0E, 0x02, 0x53, 0xAB, 0x00}));
}

using RoundCase = std::tuple<double, double, bool, double>;
class RoundToValueTable : public ::testing::TestWithParam<RoundCase> {};
TEST_P(RoundToValueTable, RoundsToAMultiple) {
    const auto [value, ceiling, up, expected] = GetParam();
    EXPECT_EQ(RoundToValue(value, ceiling, up), expected);
}
INSTANTIATE_TEST_SUITE_P(
    Loader, RoundToValueTable,
    ::testing::Values(RoundCase{9600, 1, false, 9599},  // an exact multiple goes one step lower
                      RoundCase{9600.4, 1, false, 9600}, RoundCase{5.2, 1, true, 6},
                      RoundCase{5, 1, true, 5}, RoundCase{25, 10, true, 30},
                      RoundCase{-5.2, 1, true, -5}, RoundCase{std::nan(""), 1, true, 0},
                      RoundCase{7, 0, false, 0}));

// fcore, fast rate, T3CON, T3FD; 0 0 when no timer setting fits.
using TimerCase = std::tuple<std::int32_t, std::int32_t, int, int>;
class CalcT3Table : public ::testing::TestWithParam<TimerCase> {};
TEST_P(CalcT3Table, SetsBothTimerValues) {
    const auto [fcore, fastBaudrate, t3con, t3fd] = GetParam();
    Settings s;
    s.fcore = fcore;
    s.FastBaudrate = fastBaudrate;
    s.T3CON = s.T3FD = 0x55;  // stale values must never survive
    EXPECT_EQ(CalcT3Values(s), t3con != 0);
    EXPECT_EQ(s.T3CON, t3con);
    EXPECT_EQ(s.T3FD, t3fd);
}
INSTANTIATE_TEST_SUITE_P(
    Loader, CalcT3Table,
    ::testing::Values(TimerCase{11059200, 115200, 0x81, 0x20}, TimerCase{20000000, 9600, 0x86, 1},
                      TimerCase{11059200, 9600, 0x85, 0x08}, TimerCase{3686400, 115200, 0x80, 0},
                      TimerCase{3686399, 9600, 0, 0}, TimerCase{11059200, 0, 0, 0},
                      // A rate beyond the clock would need a negative divider exponent.
                      TimerCase{3686400, 230400, 0, 0}));

class ChangeBaudrateTest : public ::testing::Test {
  protected:
    ChangeBaudrateTest() {
        Settings& s = f.settings;
        s.FastBaudrate = 115200;
        s.PCBaudrate = 9599;
        s.T3CON = 0x81;
        s.T3FD = 0x20;
        s.T3CON9600 = 0x85;
        s.T3FD9600 = 0x08;
    }
    bool Change(std::int32_t baudrate) { return ChangeBaudrate(f.link, baudrate); }
    testing::LinkFixture f;
};

TEST_F(ChangeBaudrateTest, SwitchesTheDeviceThenThePcAndBackToTheSavedRate) {
    EXPECT_TRUE(Change(115200));
    EXPECT_EQ(f.settings.PCBaudrate, 115200);
    EXPECT_TRUE(Change(9600));
    EXPECT_EQ(f.port.written, (std::vector<Bytes>{{0x07, 0x0E, 0x03, 0x42, 0x81, 0x20, 0x1A},
                                                  {0x07, 0x0E, 0x03, 0x42, 0x85, 0x08, 0x2E}}));
    EXPECT_EQ(f.settings.PCBaudrate, 9599);  // the rate before the switch, not 9600
    // With a fast rate of 9600 one call runs both steps.
    f.settings.FastBaudrate = 9600;
    EXPECT_TRUE(Change(9600));
    EXPECT_EQ(f.port.openedBaudRates, (Rates{115200, 9599, 9600, 9599}));
    // A 20 MHz crystal goes back to 9600 with 86 01, whatever the profile holds.
    f.settings.FrequencyText = "20 MHz";
    EXPECT_TRUE(Change(9600));
    EXPECT_EQ(f.port.written.back(), (Bytes{0x07, 0x0E, 0x03, 0x42, 0x86, 0x01, 0x34}));
    EXPECT_TRUE(f.host.messages.empty());
}

TEST_F(ChangeBaudrateTest, RefusedOrDisabledSwitchKeepsThePortAtTheOldRate) {
    f.port.respond = [](const Bytes&) { return FakeReply{{0x15}}; };
    EXPECT_FALSE(Change(115200));
    EXPECT_EQ(f.settings.PCBaudrate, 9599);
    f.settings.FastBaudrateOption = false;  // without the option nothing is sent
    EXPECT_FALSE(Change(115200));
    EXPECT_FALSE(Change(9600));
    EXPECT_EQ(f.port.written.size(), 1u);
    EXPECT_TRUE(f.port.openedBaudRates.empty());
}

// One line per event, time first; an answer has the kind of the message it answers.
TEST(TracedPort, WritesEachEventOnALineOfItsOwn) {
    auto inner = std::make_unique<testing::FakeSerialPort>();
    testing::FakeSerialPort& fake = *inner;
    fake.respond = [](const Bytes& m) {
        return FakeReply{m.size() == 4 ? Bytes{'K', 'a'} : Bytes{6}};
    };
    std::vector<std::string> lines;
    int ticks = 0;
    TracedSerialPort port(
        std::move(inner), [&](const std::string& line) { lines.push_back(line); },
        [] { return std::string("COM2"); }, [&] { return ticks++ / 8.0; });
    std::array<std::uint8_t, 25> buffer{};
    port.Open("/dev/ttyUSB1", 9600);
    port.SetRts(true);
    port.Sleep(0.05);
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
                         "0.125000 # open COM2 /dev/ttyUSB1 9600", "0.250000 # lines RTS 1",
                         "0.375000 # wait 0.05 s", "0.500000 TX 215A00A6 ID 9600",
                         "0.625000 RX 4B61 ID 9600", "0.750000 # timeout 500 ms: 2 of 25 bytes",
                         "0.875000 # close", "1.000000 # rate 115200",
                         "1.125000 TX 070E0143BC C 115200", "1.250000 RX 06 C 115200",
                         "1.375000 # lines DTR 0 failed: Inappropriate ioctl for device"}));
}

}  // namespace
}  // namespace tovrel
