#include "sim/boot_loader.h"

#include <gtest/gtest.h>

#include "tests/sim/test_bytes.h"

namespace tovrel::sim {
namespace {

using testing::Frame;
using testing::QuickFrame;

struct RateCase {
    long coreClock;
    std::uint8_t t3con;
    std::uint8_t t3fd;
    long rate;
};

class TimerRateTest : public ::testing::TestWithParam<RateCase> {};

TEST_P(TimerRateTest, GivesTheRateOfTimer3) {
    EXPECT_EQ(BaudFromTimer(GetParam().coreClock, GetParam().t3con, GetParam().t3fd),
              GetParam().rate);
}

INSTANTIATE_TEST_SUITE_P(BootLoader, TimerRateTest,
                         ::testing::Values(RateCase{11059200, 0x81, 0x20, 115200},
                                           RateCase{20000000, 0x86, 0x01, 9615},
                                           RateCase{11059200, 0x85, 0x08, 9600},
                                           RateCase{11059200, 0x01, 0x20, 0},  // not enabled
                                           RateCase{11059200, 0xF9, 0x20, 115200}));

class LoaderTest : public ::testing::Test {
  protected:
    Bytes Send(const Bytes& bytes, MessageKind kind = MessageKind::Frame) {
        m_last = m_loader.Handle(Message{kind, bytes});
        return m_last.bytes;
    }

    FlashMemory m_flash{kDefaultCodeSize, kDefaultDataPages};
    BootLoader m_loader{m_flash, kDefaultIdText, kDefaultCoreClock};
    LoaderReply m_last;
};

TEST_F(LoaderTest, AnswersResetWithTheBlankPaddedIdentification) {
    const Bytes reply = Send(testing::kResetBytes, MessageKind::Reset);
    EXPECT_EQ(std::string(reply.begin(), reply.end()), "Kaz 8QA    205           ");
}

struct ReplyCase {
    const char* name;
    Bytes frame;
    Bytes reply;
};

class ExactReplyTest : public LoaderTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(ExactReplyTest, AnswersTheFrame) { EXPECT_EQ(Send(GetParam().frame), GetParam().reply); }

const Bytes kAckOnly{kAck};
const Bytes kNakOnly{kNak};

INSTANTIATE_TEST_SUITE_P(
    BootLoader, ExactReplyTest,
    ::testing::Values(
        ReplyCase{"EraseCode", {0x07, 0x0E, 0x01, 0x43, 0xBC}, kAckOnly},
        ReplyCase{"EraseAll", {0x07, 0x0E, 0x01, 0x41, 0xBE}, kAckOnly},
        ReplyCase{"EraseBadChecksum", {0x07, 0x0E, 0x01, 0x43, 0xBB}, kNakOnly},
        ReplyCase{"EraseWithPayload", Frame('C', {0x00}), kNakOnly},
        ReplyCase{"Rate115200", {0x07, 0x0E, 0x03, 0x42, 0x81, 0x20, 0x1A}, kAckOnly},
        ReplyCase{"RateTimerOff", Frame('B', {0x01, 0x20}), kNakOnly},
        ReplyCase{"RateShortPayload", Frame('B', {0x81}), kNakOnly},
        ReplyCase{"WriteOneByte", {0x07, 0x0E, 0x05, 0x57, 0x00, 0x00, 0x00, 0x12, 0x92}, kAckOnly},
        ReplyCase{"WriteLastByteOfFlash", Frame('W', {0x00, 0xF7, 0xFF, 0x12}), kAckOnly},
        ReplyCase{"WritePastFlash", Frame('W', {0x00, 0xF7, 0xFF, 0x12, 0x34}), kNakOnly},
        ReplyCase{"WriteUpperAddressByte", Frame('W', {0x01, 0x00, 0x00, 0x12}), kNakOnly},
        ReplyCase{"WriteWithoutAddress", Frame('W', {0x00, 0x00}), kNakOnly},
        ReplyCase{"DataFirstPage",
                  {0x07, 0x0E, 0x08, 0x45, 0, 0, 0, 0x11, 0x22, 0x33, 0x44, 0x09},
                  kAckOnly},
        ReplyCase{"DataLastPage", Frame('E', {0x00, 0x02, 0x7F, 1, 2, 3, 4}), kAckOnly},
        ReplyCase{"DataPastLastPage", Frame('E', {0x00, 0x02, 0x80, 1, 2, 3, 4}), kNakOnly},
        ReplyCase{"DataThreeBytes", Frame('E', {0x00, 0x00, 0x00, 1, 2, 3}), kNakOnly},
        ReplyCase{"SecurityBits", {0x07, 0x0E, 0x02, 0x53, 0x04, 0xA7}, kAckOnly},
        ReplyCase{"BootloadOn", {0x07, 0x0E, 0x02, 0x46, 0xFE, 0xBA}, kAckOnly},
        ReplyCase{"BootloadOff", {0x07, 0x0E, 0x02, 0x46, 0xFF, 0xB9}, kAckOnly},
        ReplyCase{"BootloadOtherValue", Frame('F', {0x12}), kNakOnly},
        ReplyCase{"RunFromE000", {0x07, 0x0E, 0x04, 0x55, 0x00, 0xE0, 0x00, 0xC7}, kAckOnly},
        ReplyCase{"UnknownLetter", Frame('Z'), kNakOnly},
        ReplyCase{"VerifyTwoPages", Frame('V', {0x00, 0x01}), kNakOnly}),
    [](const auto& info) { return info.param.name; });

TEST_F(LoaderTest, VerifyAnswersThePageAndItsChecksum) {
    Send(Frame('W', {0x00, 0x01, 0x00, 0x12}));
    const Bytes reply = Send({0x07, 0x0E, 0x02, 0x56, 0x01, 0xA7});
    ASSERT_EQ(reply.size(), 257u);
    EXPECT_EQ(reply[0], 0x12);
    EXPECT_EQ(reply[255], 0xFF);
    unsigned sum = 0;
    for (std::uint8_t byte : reply) sum += byte;
    EXPECT_EQ(sum % 256, 0u);
}

TEST_F(LoaderTest, QuickPageWritesTheWholePageWithAnd) {
    ASSERT_EQ(Send(QuickFrame(247, Bytes(256, 0x3C)), MessageKind::QuickPage), kAckOnly);
    Send(QuickFrame(247, Bytes(256, 0xF0)), MessageKind::QuickPage);
    EXPECT_EQ(m_flash.Code()[247 * 256], 0x30);
    EXPECT_EQ(m_flash.Code().back(), 0x30);
    EXPECT_EQ(Send(QuickFrame(248, Bytes(256, 0)), MessageKind::QuickPage), kNakOnly);
}

TEST_F(LoaderTest, EraseCodeKeepsDataAndEraseAllClearsIt) {
    Send(Frame('W', {0x00, 0x00, 0x00, 0x00}));
    Send(Frame('E', {0x00, 0x00, 0x00, 0, 0, 0, 0}));
    Send(Frame('C'));
    EXPECT_EQ(m_flash.Code()[0], 0xFF);
    EXPECT_EQ(m_flash.Data()[0], 0x00);
    Send(Frame('A'));
    EXPECT_EQ(m_flash.Data()[0], 0xFF);
}

TEST_F(LoaderTest, RefusedFrameChangesNothing) {
    Bytes frame = Frame('W', {0x00, 0x00, 0x00, 0x00});
    frame.back() ^= 1;
    Send(frame);
    EXPECT_EQ(m_flash.Code()[0], 0xFF);
    EXPECT_FALSE(m_last.changedMemory);
}

}  // namespace
}  // namespace tovrel::sim
