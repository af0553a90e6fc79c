#include "flash/erase.h"

#include <gtest/gtest.h>

#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

using testing::Bytes;
using testing::FakeReply;
using testing::LinkFixture;

class EraseFrame : public ::testing::TestWithParam<std::pair<bool, Bytes>> {};

TEST_P(EraseFrame, IsOneFixedWriteAndOneByteRead) {
    LinkFixture f;
    f.settings.EraseMode = GetParam().first;
    EXPECT_TRUE(EraseFunction(f.link));
    EXPECT_EQ(f.port.written, std::vector<Bytes>{GetParam().second});
    EXPECT_EQ(f.port.readCounts, (std::vector<std::size_t>{1}));
    EXPECT_EQ(f.port.readTimeouts, (std::vector<int>{500}));
}

INSTANTIATE_TEST_SUITE_P(Erase, EraseFrame,
                         ::testing::Values(std::pair{false, Bytes{0x07, 0x0E, 0x01, 0x43, 0xBC}},
                                           std::pair{true, Bytes{0x07, 0x0E, 0x01, 0x41, 0xBE}}));

class EraseReply : public ::testing::TestWithParam<FakeReply> {};

TEST_P(EraseReply, AnythingBut06InTimeFails) {
    LinkFixture f;
    f.port.respond = [](const Bytes&) { return GetParam(); };
    EXPECT_FALSE(EraseFunction(f.link));
    EXPECT_EQ(f.port.readCounts.size(), 1u);  // no second read, no retry
    EXPECT_TRUE(f.host.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Erase, EraseReply,
                         ::testing::Values(FakeReply{{}}, FakeReply{{0x15}}, FakeReply{{0x07}},
                                           FakeReply{{0x06}, /*late=*/true}));

}  // namespace
}  // namespace tovrel
