#include <gtest/gtest.h>

#include "flash/device_control.h"
#include "flash/erase.h"
#include "link/baud_rate.h"
#include "tests/device/sim_device.h"

namespace tovrel {
namespace {

using testing::BytesFromHex;
using testing::SimDevice;

// Reset identifies the device and works the fast-rate timer pair out of its profile. The
// device must accept that pair and the PC follow it, both ways: the simulator garbles every
// byte while the two ends disagree by more than 3 %.
TEST_F(SimDevice, ResetThenFastRateRoundTripKeepsTheLineWorking) {
    Identify();
    EXPECT_EQ(IdentificationDisplay(settings), "Zerk8QA version 2.05");
    std::int32_t fast = settings.FastBaudrate, slow = kBootBaudrate;
    ASSERT_TRUE(ChangeBaudrate(link, fast));
    EXPECT_TRUE(EraseFunction(link));
    ASSERT_TRUE(ChangeBaudrate(link, slow));
    EXPECT_TRUE(EraseFunction(link));
    EXPECT_TRUE(host.messages.empty());

    const std::vector<testing::TraceEntry> received = Received();
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[0].bytes, BytesFromHex("070E034281201A"));
    EXPECT_EQ(received[1].baud, 115200);
    EXPECT_EQ(received[2].bytes, BytesFromHex("070E034285082E"));
    EXPECT_EQ(received[3].baud, 9600);
}

// Erase mode, run address, then the erase and run frames as the device received them.
using WireCase = std::tuple<bool, std::int32_t, const char*, const char*>;
class ExactFrames : public SimDevice, public ::testing::WithParamInterface<WireCase> {};

TEST_P(ExactFrames, EraseAndRunReachTheDeviceByteForByte) {
    Identify();
    const auto [eraseMode, runAddress, erase, run] = GetParam();
    settings.EraseMode = eraseMode;
    settings.RunAddress = runAddress;
    EXPECT_TRUE(EraseFunction(link));
    EXPECT_TRUE(tovrel::Run(link));
    const std::vector<testing::TraceEntry> received = Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].bytes, BytesFromHex(erase));
    EXPECT_EQ(received[1].bytes, BytesFromHex(run));
}

INSTANTIATE_TEST_SUITE_P(
    SimDevice, ExactFrames,
    ::testing::Values(WireCase{false, 0x0000, "070E0143BC", "070E0455000000A7"},
                      WireCase{true, 0xE000, "070E0141BE", "070E045500E000C7"}));

}  // namespace
}  // namespace tovrel
