#include "link/baud_rate.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

using testing::Bytes;
using testing::FakeReply;
using Rates = std::vector<std::int32_t>;

struct RoundCase {
    double value, ceiling;
    bool up;
    double expected;
};
class RoundToValueTable : public ::testing::TestWithParam<RoundCase> {};
TEST_P(RoundToValueTable, RoundsToAMultiple) {
    const RoundCase& c = GetParam();
    EXPECT_EQ(RoundToValue(c.value, c.ceiling, c.up), c.expected);
}
INSTANTIATE_TEST_SUITE_P(
    BaudRate, RoundToValueTable,
    ::testing::Values(RoundCase{9600, 1, false, 9599},  // an exact multiple goes one step lower
                      RoundCase{9600.4, 1, false, 9600}, RoundCase{5.2, 1, true, 6},
                      RoundCase{5, 1, true, 5}, RoundCase{25, 10, true, 30},
                      RoundCase{20, 10, false, 10}, RoundCase{-5.2, 1, true, -5},
                      RoundCase{std::nan(""), 1, true, 0}, RoundCase{7, 0, false, 0}));

class PcBaudrateTable
    : public ::testing::TestWithParam<std::pair<double, std::optional<std::int32_t>>> {};
TEST_P(PcBaudrateTable, FollowsTheCrystal) {
    EXPECT_EQ(PcBaudrateForCrystal(GetParam().first * 1000000), GetParam().second);
}
INSTANTIATE_TEST_SUITE_P(
    BaudRate, PcBaudrateTable,
    ::testing::Values(std::pair{11.0592, 9599}, std::pair{7.3728, 6399}, std::pair{16.0, 14399},
                      std::pair{20.0, 16457}, std::pair{1.8432, 1599}, std::pair{0.032768, 28},
                      std::pair{265.4, 115199},
                      // From here the divider rounds to 0: no rate, and no division by it.
                      std::pair{265.4208, std::nullopt}, std::pair{0.0, std::nullopt},
                      std::pair{-11.0592, std::nullopt}));

struct TimerCase {
    std::int32_t fcore, fastBaudrate;
    bool ok;
    int t3con, t3fd;
};
class CalcT3Table : public ::testing::TestWithParam<TimerCase> {};
TEST_P(CalcT3Table, SetsBothTimerValues) {
    const TimerCase& c = GetParam();
    Settings s;
    s.fcore = c.fcore;
    s.FastBaudrate = c.fastBaudrate;
    s.T3CON = s.T3FD = 0x55;  // stale values must never survive
    EXPECT_EQ(CalcT3Values(s), c.ok);
    EXPECT_EQ(s.T3CON, c.t3con);
    EXPECT_EQ(s.T3FD, c.t3fd);
}
INSTANTIATE_TEST_SUITE_P(
    BaudRate, CalcT3Table,
    ::testing::Values(
        TimerCase{11059200, 115200, true, 0x81, 0x20}, TimerCase{20000000, 9600, true, 0x86, 0x01},
        TimerCase{11059200, 9600, true, 0x85, 0x08}, TimerCase{3686400, 115200, true, 0x80, 0},
        TimerCase{3686399, 9600, false, 0, 0},
        // A rate beyond the clock would need a negative divider exponent.
        TimerCase{3686400, 230400, false, 0, 0}, TimerCase{11059200, 0, false, 0, 0}));

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
    EXPECT_TRUE(ChangeBaudrate(f.link, f.settings.FastBaudrate));
    EXPECT_EQ(f.settings.PCBaudrate, 115200);
    EXPECT_TRUE(Change(9600));
    EXPECT_EQ(f.port.written, (std::vector<Bytes>{{0x07, 0x0E, 0x03, 0x42, 0x81, 0x20, 0x1A},
                                                  {0x07, 0x0E, 0x03, 0x42, 0x85, 0x08, 0x2E}}));
    EXPECT_EQ(f.settings.PCBaudrate, 9599);  // the rate before the switch, not 9600
    EXPECT_EQ(f.port.closeCount, 2);
    EXPECT_EQ(f.port.openedBaudRates, (Rates{115200, 9599}));
    EXPECT_TRUE(f.host.messages.empty());
}

class TwentyMHzText : public ChangeBaudrateTest,
                      public ::testing::WithParamInterface<std::pair<const char*, bool>> {};
TEST_P(TwentyMHzText, SendsTheFixedPairFor9600) {
    f.frequency = GetParam().first;
    EXPECT_TRUE(Change(9600));
    const Bytes twenty{0x07, 0x0E, 0x03, 0x42, 0x86, 0x01, 0x34};
    EXPECT_EQ(f.port.written.back() == twenty, GetParam().second);
}
INSTANTIATE_TEST_SUITE_P(BaudRate, TwentyMHzText,
                         ::testing::Values(std::pair{"20", true}, std::pair{"20 MHz", true},
                                           std::pair{"19.9999", false}, std::pair{"", false}));

TEST_F(ChangeBaudrateTest, WithoutTheDeviceOptionNothingIsSent) {
    f.settings.FastBaudrateOption = false;
    EXPECT_FALSE(ChangeBaudrate(f.link, f.settings.FastBaudrate));
    EXPECT_FALSE(Change(9600));
    EXPECT_TRUE(f.port.written.empty());
    EXPECT_TRUE(f.host.messages.empty());
}

TEST_F(ChangeBaudrateTest, AFastRateOf9600RunsBothSteps) {
    f.settings.FastBaudrate = 9600;
    EXPECT_TRUE(Change(9600));
    ASSERT_EQ(f.port.written.size(), 2u);
    EXPECT_EQ(f.port.written[0][4], 0x81);
    EXPECT_EQ(f.port.written[1][4], 0x85);
    EXPECT_EQ(f.port.openedBaudRates, (Rates{9600, 9599}));
}

class DeviceRefuses : public ChangeBaudrateTest, public ::testing::WithParamInterface<FakeReply> {};
TEST_P(DeviceRefuses, KeepsThePortAtTheOldRate) {
    f.port.respond = [](const Bytes&) { return GetParam(); };
    EXPECT_FALSE(ChangeBaudrate(f.link, f.settings.FastBaudrate));
    EXPECT_EQ(f.host.messages, (std::vector<testing::ShownMessage>{
                                   {"Error encountered while changing baudrate", "Warning"}}));
    EXPECT_EQ(f.settings.PCBaudrate, 9599);
    EXPECT_TRUE(f.port.openedBaudRates.empty());
}
INSTANTIATE_TEST_SUITE_P(BaudRate, DeviceRefuses,
                         ::testing::Values(FakeReply{{}}, FakeReply{{0x15}},
                                           FakeReply{{0x06}, /*late=*/true}));

TEST_F(ChangeBaudrateTest, APortThatWillNotReopenIsAFailure) {
    f.port.failOpen = true;
    EXPECT_FALSE(ChangeBaudrate(f.link, f.settings.FastBaudrate));
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0].text, "Error encountered while Opening Port");
}

}  // namespace
}  // namespace tovrel
