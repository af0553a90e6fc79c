#include <gtest/gtest.h>

#include "flash/device_control.h"
#include "flash/erase.h"
#include "link/baud_rate.h"
#include "tests/device/sim_device.h"

namespace tovrel {
namespace {

using testing::BytesFromHex;
using testing::SimDevice;
using testing::TraceEntry;

TEST_F(SimDevice, ResetIdentifiesTheDeviceAndLoadsItsProfile) {
    settings.CodeSize = 0;
    settings.QuickDownloadOption = false;
    Identify();
    EXPECT_EQ(settings.PartName, "Kaz 8QA");
    EXPECT_EQ(IdentificationDisplay(settings), "Zerk8QA version 2.05");
    EXPECT_EQ(settings.CodeSize, 63488);
    EXPECT_EQ(settings.DataSize, 640);
    EXPECT_TRUE(settings.QuickDownloadOption);
    EXPECT_EQ(settings.FastBaudrate, 115200);
    // The profile leaves T3CON at 0, so the timer pair for 115200 is worked out.
    EXPECT_EQ(settings.T3CON, 0x81);
    EXPECT_EQ(settings.T3FD, 0x20);
    EXPECT_TRUE(host.messages.empty());
}

// The device must accept the timer pair it is sent and the PC must follow it, both ways;
// the simulator garbles every byte when the two ends disagree by more than 3 %.
TEST_F(SimDevice, FastRateRoundTripKeepsTheLineWorking) {
    Identify();
    std::int32_t fast = settings.FastBaudrate;
    ASSERT_TRUE(ChangeBaudrate(link, fast));
    EXPECT_EQ(settings.PCBaudrate, 115200);
    EXPECT_TRUE(EraseFunction(link));
    std::int32_t slow = kBootBaudrate;
    ASSERT_TRUE(ChangeBaudrate(link, slow));
    EXPECT_EQ(settings.PCBaudrate, 9600);
    EXPECT_TRUE(EraseFunction(link));
    EXPECT_TRUE(host.messages.empty());

    const std::vector<TraceEntry> received = Received();
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[0].bytes, BytesFromHex("070E034281201A"));
    EXPECT_EQ(received[1].kind, "A");
    EXPECT_EQ(received[1].baud, 115200);
    EXPECT_EQ(received[2].bytes, BytesFromHex("070E034285082E"));
    EXPECT_EQ(received[3].kind, "A");
    EXPECT_EQ(received[3].baud, 9600);
}

struct WireCase {
    const char* name;
    bool eraseMode;
    std::int32_t runAddress;
    const char* erase;
    const char* run;
};

void PrintTo(const WireCase& wireCase, std::ostream* out) { *out << wireCase.name; }

class ExactFrames : public SimDevice, public ::testing::WithParamInterface<WireCase> {};

TEST_P(ExactFrames, EraseAndRunReachTheDeviceByteForByte) {
    Identify();
    settings.EraseMode = GetParam().eraseMode;
    settings.RunAddress = GetParam().runAddress;
    EXPECT_TRUE(EraseFunction(link));
    EXPECT_TRUE(tovrel::Run(link));

    const std::vector<TraceEntry> received = Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].bytes, BytesFromHex(GetParam().erase));
    EXPECT_EQ(received[1].bytes, BytesFromHex(GetParam().run));
    EXPECT_EQ(received[1].kind, "U");
}

INSTANTIATE_TEST_SUITE_P(SimDevice, ExactFrames,
                         ::testing::Values(WireCase{"CodeOnlyRunFromStart", false, 0x0000,
                                                    "070E0143BC", "070E0455000000A7"},
                                           WireCase{"CodeAndDataRunFromE000", true, 0xE000,
                                                    "070E0141BE", "070E045500E000C7"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrel
