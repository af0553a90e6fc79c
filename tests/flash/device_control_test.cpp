#include "flash/device_control.h"

#include <gtest/gtest.h>

#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

using testing::Bytes;
using testing::FakeReply;
using testing::ShownMessage;

const Bytes kUnlockFrame{0x07, 0x0E, 0x08, 0x45, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xB7};

struct DeviceControl : ::testing::Test, testing::LinkFixture {
    DeviceControl() { settings.CodeSize = 0xF800; }
};

TEST_F(DeviceControl, SecurityBitsSendsTheUnlockWriteThenTheValue) {
    std::int16_t value = 4;
    EXPECT_TRUE(SecurityBitsFunction(link, value));
    EXPECT_EQ(port.written,
              (std::vector<Bytes>{kUnlockFrame, {0x07, 0x0E, 0x02, 0x53, 0x04, 0xA7}}));
    value = 0;
    EXPECT_TRUE(SecurityBitsFunction(link, value));
    EXPECT_EQ(port.written.back(), (Bytes{0x07, 0x0E, 0x02, 0x53, 0x00, 0xAB}));
}

TEST_F(DeviceControl, AnyAnswerToTheUnlockWriteLetsTheValueGoOut) {
    port.respond = [this](const Bytes&) {
        return FakeReply{{port.written.size() == 1 ? std::uint8_t{0x15} : std::uint8_t{0x06}}};
    };
    std::int16_t value = 6;
    EXPECT_TRUE(SecurityBitsFunction(link, value));
    EXPECT_EQ(port.written.at(1), (Bytes{0x07, 0x0E, 0x02, 0x53, 0x06, 0xA5}));
}

TEST_F(DeviceControl, NoAnswerToTheUnlockWriteEndsSecurityBits) {
    port.respond = [](const Bytes&) { return FakeReply{{}}; };
    std::int16_t value = 6;
    EXPECT_FALSE(SecurityBitsFunction(link, value));
    EXPECT_EQ(port.written.size(), 1u);
}

TEST_F(DeviceControl, RefusedSecurityValueFails) {
    port.respond = [this](const Bytes&) {
        return FakeReply{{port.written.size() == 2 ? std::uint8_t{0x15} : std::uint8_t{0x06}}};
    };
    std::int16_t value = 3;
    EXPECT_FALSE(SecurityBitsFunction(link, value));
}

TEST_F(DeviceControl, BootloadFrames) {
    settings.BootloadOption = true;
    EXPECT_TRUE(BootloadFunction(link, 0xFE));
    EXPECT_TRUE(BootloadFunction(link, 0xFF));
    EXPECT_EQ(port.written, (std::vector<Bytes>{{0x07, 0x0E, 0x02, 0x46, 0xFE, 0xBA},
                                                {0x07, 0x0E, 0x02, 0x46, 0xFF, 0xB9}}));
    port.respond = [](const Bytes&) { return FakeReply{{0x15}}; };
    EXPECT_FALSE(BootloadFunction(link, 0xFE));
}

TEST_F(DeviceControl, BootloadSendsNothingWithoutTheCapability) {
    settings.BootloadOption = false;
    EXPECT_FALSE(BootloadFunction(link, 0xFE));
    EXPECT_TRUE(port.written.empty());
}

struct RunCase {
    std::int32_t address;
    Bytes frame;  // empty: refused
    friend void PrintTo(const RunCase& c, std::ostream* os) { *os << c.address; }
};

class RunAddress : public DeviceControl, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RunAddress, FrameOrRefusal) {
    settings.RunAddress = GetParam().address;
    const bool sent = !GetParam().frame.empty();
    EXPECT_EQ(tovrel::Run(link), sent);
    if (sent) {
        EXPECT_EQ(port.written, std::vector<Bytes>{GetParam().frame});
        EXPECT_TRUE(host.messages.empty());
    } else {
        EXPECT_TRUE(port.written.empty());
        EXPECT_EQ(host.messages,
                  (std::vector<ShownMessage>{{"Invalid Run Address", "Warning Address"}}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, RunAddress,
    ::testing::Values(RunCase{0, {0x07, 0x0E, 0x04, 0x55, 0x00, 0x00, 0x00, 0xA7}},
                      RunCase{0xE000, {0x07, 0x0E, 0x04, 0x55, 0x00, 0xE0, 0x00, 0xC7}},
                      RunCase{0xF800, {0x07, 0x0E, 0x04, 0x55, 0x00, 0xF8, 0x00, 0xAF}},
                      RunCase{0xF801, {}}, RunCase{-1, {}}, RunCase{-0x10000, {}}),
    [](const auto& info) {
        const std::int32_t a = info.param.address;
        return (a < 0 ? "Minus" + std::to_string(-a) : std::to_string(a));
    });

TEST_F(DeviceControl, RunBeyondTwoAddressBytesIsRefusedEvenOnALargeDevice) {
    settings.CodeSize = 0x20000;
    settings.RunAddress = 0x10000;
    EXPECT_FALSE(tovrel::Run(link));
    EXPECT_TRUE(port.written.empty());
}

TEST_F(DeviceControl, RunFailsOnAMissingReply) {
    port.respond = [](const Bytes&) { return FakeReply{{}}; };
    EXPECT_FALSE(tovrel::Run(link));
    EXPECT_EQ(port.written.size(), 1u);
}

}  // namespace
}  // namespace tovrel
