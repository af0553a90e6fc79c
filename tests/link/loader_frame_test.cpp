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
