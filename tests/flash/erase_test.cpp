#include "flash/erase.h"

#include <gtest/gtest.h>

#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

using testing::Bytes;
using testing::FakeReply;

struct EraseCase {
    bool eraseAll;
    FakeReply reply;
    Bytes frame;
};
class Erase : public ::testing::TestWithParam<EraseCase> {};

// One fixed frame, one byte read within 500 ms and no retry. A late 06 comes after the read
// that waited for it: that command has failed.
TEST_P(Erase, OneFrameAndOnly06InTimeSucceeds) {
    testing::LinkFixture f;
    f.settings.EraseMode = GetParam().eraseAll;
    f.port.respond = [](const Bytes&) { return GetParam().reply; };
    const FakeReply& reply = GetParam().reply;
    EXPECT_EQ(EraseFunction(f.link), reply.bytes == Bytes{0x06} && !reply.late);
    EXPECT_EQ(f.port.written, std::vector<Bytes>{GetParam().frame});
    EXPECT_EQ(f.port.readTimeouts, (std::vector<int>{500}));
    EXPECT_EQ(f.port.readCounts, (std::vector<std::size_t>{1}));
}

const Bytes kEraseCode{0x07, 0x0E, 0x01, 0x43, 0xBC};
INSTANTIATE_TEST_SUITE_P(
    Loader, Erase,
    ::testing::Values(EraseCase{true, {{0x06}}, {0x07, 0x0E, 0x01, 0x41, 0xBE}},
                      EraseCase{false, {{0x06}}, kEraseCode},
                      EraseCase{false, {{0x15}}, kEraseCode},
                      EraseCase{false, {{0x06}, true}, kEraseCode}));

}  // namespace
}  // namespace tovrel
