#include <gtest/gtest.h>

#include <cmath>

#include "link/baud_rate.h"
#include "link/loader_frame.h"
#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

using testing::Bytes;
using Rates = std::vector<std::int32_t>;
using Messages = std::vector<testing::ShownMessage>;

// 02 + 53 + AB = 100 hex: the checksum is 00, never 100 hex cut down by luck.
TEST(LoaderFrame, ChecksumOfAWholeMultipleOf256IsZero) {
    const Bytes payload{0xAB};
    EXPECT_EQ(BuildLoaderFrame(kCmdSecurity, payload), (Bytes{0x07, 0x0E, 0x02, 0x53, 0xAB, 0x00}));
}

TEST(BaudRate, RoundToValueRoundsToAMultiple) {
    // An exact multiple goes one step lower.
    for (auto [value, ceiling, up, expected] :
         {std::tuple{9600.0, 1.0, false, 9599.0}, {9600.4, 1.0, false, 9600.0},
          {5.2, 1.0, true, 6.0}, {5.0, 1.0, true, 5.0}, {25.0, 10.0, true, 30.0},
          {-5.2, 1.0, true, -5.0}, {std::nan(""), 1.0, true, 0.0}, {7.0, 0.0, false, 0.0}})
        EXPECT_EQ(RoundToValue(value, ceiling, up), expected) << value << " " << ceiling;
}

// fcore, fast rate, T3CON, T3FD; 0 0 when no timer setting fits. The profile table has the
// rates a device profile leads to.
TEST(BaudRate, CalcT3ValuesSetsBothTimerValues) {
    for (auto [fcore, fastBaudrate, t3con, t3fd] :
         {std::tuple{20000000, 9600, 0x86, 1}, {11059200, 9600, 0x85, 0x08},
          {3686399, 9600, 0, 0}, {11059200, 0, 0, 0},
          {3686400, 230400, 0, 0}}) {  // a rate beyond the clock: a negative exponent
        Settings s;
        s.fcore = fcore;
        s.FastBaudrate = fastBaudrate;
        s.T3CON = s.T3FD = 0x55;  // stale values must never survive
        EXPECT_EQ(CalcT3Values(s), t3con != 0);
        EXPECT_EQ(std::pair(int(s.T3CON), int(s.T3FD)), std::pair(t3con, t3fd)) << fcore;
    }
}

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

TEST_F(ChangeBaudrateTest, FailsWhenRefusedDisabledOrThePortDoesNotReopen) {
    f.port.respond = [](const Bytes&) { return Bytes{0x15}; };
    EXPECT_FALSE(Change(115200));
    EXPECT_EQ(f.settings.PCBaudrate, 9599);
    const Messages refused{{"Error encountered while changing baudrate", "Warning"}};
    EXPECT_EQ(f.host.messages, refused);
    f.settings.FastBaudrateOption = false;  // nothing sent, nothing shown
    EXPECT_FALSE(Change(115200));
    EXPECT_FALSE(Change(9600));
    EXPECT_EQ(f.port.written.size(), 1u);
    EXPECT_EQ(f.host.messages, refused);
    EXPECT_TRUE(f.port.openedBaudRates.empty());
    f.settings.FastBaudrateOption = true;
    f.port.respond = [](const Bytes&) { return Bytes{0x06}; };
    f.port.failOpen = true;  // the device took the rate; the PC side cannot follow
    EXPECT_FALSE(Change(115200));
}

}  // namespace
}  // namespace tovrel
