#include "link/loader_frame.h"

#include <gtest/gtest.h>

#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

using testing::Bytes;
using testing::FakeReply;
using testing::LinkFixture;

TEST(LoaderFrame, WorkedExamples) {
    EXPECT_EQ(BuildLoaderFrame(kCmdEraseCode, {}), (Bytes{0x07, 0x0E, 0x01, 0x43, 0xBC}));
    EXPECT_EQ(BuildLoaderFrame(kCmdEraseAll, {}), (Bytes{0x07, 0x0E, 0x01, 0x41, 0xBE}));
    const Bytes baud{0x86, 0x01};
    EXPECT_EQ(BuildLoaderFrame(kCmdBaudRate, baud),
              (Bytes{0x07, 0x0E, 0x03, 0x42, 0x86, 0x01, 0x34}));
}

struct FrameCase {
    std::uint8_t command;
    Bytes payload;
    Bytes frame;
};

class EveryCommand : public ::testing::TestWithParam<FrameCase> {};

// Length counts command and payload; the checksum covers length to the last payload byte.
TEST_P(EveryCommand, IsFramedWithLengthAndChecksum) {
    EXPECT_EQ(BuildLoaderFrame(GetParam().command, GetParam().payload), GetParam().frame);
}

INSTANTIATE_TEST_SUITE_P(
    LoaderFrame, EveryCommand,
    ::testing::Values(
        FrameCase{kCmdVerifyPage, {0x10}, {0x07, 0x0E, 0x02, 0x56, 0x10, 0x98}},
        FrameCase{kCmdBootload, {0xFE}, {0x07, 0x0E, 0x02, 0x46, 0xFE, 0xBA}},
        FrameCase{kCmdBootload, {0xFF}, {0x07, 0x0E, 0x02, 0x46, 0xFF, 0xB9}},
        FrameCase{kCmdRun, {0x00, 0x12, 0x34}, {0x07, 0x0E, 0x04, 0x55, 0x00, 0x12, 0x34, 0x61}},
        FrameCase{kCmdWriteData,
                  {0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF},
                  {0x07, 0x0E, 0x08, 0x45, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xB7}},
        FrameCase{kCmdWriteCode,
                  {0x00, 0x10, 0x00, 0x01, 0x02, 0x03},
                  {0x07, 0x0E, 0x07, 0x57, 0x00, 0x10, 0x00, 0x01, 0x02, 0x03, 0x8C}},
        FrameCase{kCmdBaudRate, {0x81, 0x20}, {0x07, 0x0E, 0x03, 0x42, 0x81, 0x20, 0x1A}}));

TEST(LoaderFrame, ChecksumOfAWholeMultipleOf256IsZero) {
    // 02 + 53 + AB = 100 hex: the checksum is 00, never 100 hex truncated by accident.
    const Bytes payload{0xAB};
    const Bytes frame = BuildLoaderFrame(kCmdSecurity, payload);
    EXPECT_EQ(frame.back(), 0x00);
}

TEST(LoaderExchange, AcknowledgedOnlyBy06InTime) {
    LinkFixture f;
    const Bytes frame = BuildLoaderFrame(kCmdEraseCode, {});
    EXPECT_TRUE(SendAndAcknowledge(f.link, frame));

    f.port.respond = [](const Bytes&) { return FakeReply{{0x15}}; };
    EXPECT_FALSE(SendAndAcknowledge(f.link, frame));

    f.port.respond = [](const Bytes&) { return FakeReply{{}}; };
    EXPECT_FALSE(SendAndAcknowledge(f.link, frame));

    EXPECT_EQ(f.port.readTimeouts, (std::vector<int>{500, 500, 500}));
    EXPECT_EQ(f.port.readCounts, (std::vector<std::size_t>{1, 1, 1}));
}

TEST(LoaderExchange, A06ThatArrivesLateFailsTheCommandThatWaitedForIt) {
    LinkFixture f;
    f.port.respond = [](const Bytes&) { return FakeReply{{0x06}, /*late=*/true}; };
    EXPECT_FALSE(SendAndAcknowledge(f.link, BuildLoaderFrame(kCmdEraseCode, {})));
}

}  // namespace
}  // namespace tovrel
