#include "sim/boot_loader.h"

#include <gtest/gtest.h>

#include "tests/sim/frames.h"

namespace tovrel::sim {
namespace {

using testing::ErasedPage;
using testing::Frame;
using testing::kAck;
using testing::kNak;
using testing::QuickFrame;

class LoaderTest : public ::testing::Test {
  protected:
    Bytes Send(const Bytes& bytes) {
        const bool quick = bytes.size() > 1 && bytes[1] == 'Q';
        m_last =
            m_loader.Handle(Message{quick ? MessageKind::QuickPage : MessageKind::Frame, bytes});
        return m_last.bytes;
    }

    FlashMemory m_flash{kDefaultCodeSize, kDefaultDataPages};
    BootLoader m_loader{m_flash, kDefaultIdText, kDefaultCoreClock};
    LoaderReply m_last;
};

struct ReplyCase {
    const char* name;
    Bytes frame;
    Bytes reply;
    long newRate = 0;
};

class ExactReplyTest : public LoaderTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(ExactReplyTest, AnswersTheFrame) {
    EXPECT_EQ(Send(GetParam().frame), GetParam().reply);
    EXPECT_EQ(m_last.newRate, GetParam().newRate);
    if (GetParam().reply == kNak) {
        EXPECT_EQ(m_flash.Code(), Bytes(kDefaultCodeSize, 0xFF)) << "a refused frame wrote";
    }
}

// The device's own strictness: what it refuses, and the last thing it still takes. The frames
// the program sends every run are taken in every run of the fault suite.
// clang-format off
INSTANTIATE_TEST_SUITE_P(BootLoader, ExactReplyTest, ::testing::Values(
    ReplyCase{"ChecksumOffByOne", {0x07, 0x0E, 0x01, 0x43, 0xBB}, kNak},
    ReplyCase{"ChecksumZeroNotHundred", Frame('W', {0x00, 0x00, 0x00, 0xA4}), kAck},
    ReplyCase{"ZeroLength", {0x07, 0x0E, 0x00, 0x00}, kNak},
    ReplyCase{"EraseWithPayload", Frame('C', {0x00}), kNak},
    ReplyCase{"RateDividerIsLowThreeBits", Frame('B', {0xF9, 0x20}), kAck, 115200},
    ReplyCase{"RateTimerOff", Frame('B', {0x01, 0x20}), kNak},
    ReplyCase{"RateShortPayload", Frame('B', {0x81}), kNak},
    ReplyCase{"WriteLastByteOfFlash", Frame('W', {0x00, 0xF7, 0xFF, 0x12}), kAck},
    ReplyCase{"WritePastFlash", Frame('W', {0x00, 0xF7, 0xFF, 0x12, 0x34}), kNak},
    ReplyCase{"WriteUpperAddressByte", Frame('W', {0x01, 0x00, 0x00, 0x12}), kNak},
    ReplyCase{"QuickLastPage", QuickFrame(247, Bytes(256, 0x3C)), kAck},
    ReplyCase{"QuickPastFlash", QuickFrame(248, Bytes(256, 0x3C)), kNak},
    ReplyCase{"QuickBadChecksum", QuickFrame(2, Bytes(256, 0x3C), 1), kNak},
    ReplyCase{"DataLastPage", Frame('E', {0x00, 0x02, 0x7F, 1, 2, 3, 4}), kAck},
    ReplyCase{"DataPastLastPage", Frame('E', {0x00, 0x02, 0x80, 1, 2, 3, 4}), kNak},
    ReplyCase{"DataThreeBytes", Frame('E', {0x00, 0x00, 0x00, 1, 2, 3}), kNak},
    ReplyCase{"BootloadOtherValue", Frame('F', {0x12}), kNak},
    ReplyCase{"UnknownLetter", Frame('Z'), kNak},
    ReplyCase{"VerifyErasedPage", {0x07, 0x0E, 0x02, 0x56, 0x01, 0xA7}, ErasedPage()},
    ReplyCase{"VerifyTwoPages", Frame('V', {0x00, 0x01}), kNak}),
    [](const auto& info) { return info.param.name; });
// clang-format on

class StartRateTest : public ::testing::TestWithParam<std::pair<long, long>> {};

TEST_P(StartRateTest, IsTheRateTheCrystalGives) {
    EXPECT_EQ(StartRate(GetParam().first), GetParam().second);
}

// Crystal (Hz), rate. 10.616832 and 17.69472 MHz go 12.5 and 7.5 times into 132.7104 MHz, and
// 129.6 kHz gives 112.5 baud: halves go to the even side. 2.097152 MHz is 1828.57 baud.
// clang-format off
INSTANTIATE_TEST_SUITE_P(BootLoader, StartRateTest, ::testing::Values(
    std::pair{11059200L, 9600L}, std::pair{16000000L, 14400L}, std::pair{20000000L, 9600L},
    std::pair{19999999L, 16457L}, std::pair{10616832L, 9600L}, std::pair{17694720L, 14400L},
    std::pair{129600L, 112L}, std::pair{2097152L, 1829L}, std::pair{100L, 1L}));
// clang-format on

TEST_F(LoaderTest, EraseCodeKeepsDataAndEraseAllClearsIt) {
    Send(Frame('W', {0x00, 0x00, 0x00, 0x00}));
    Send(Frame('E', {0x00, 0x00, 0x00, 0, 0, 0, 0}));
    Send(Frame('C'));
    EXPECT_EQ(m_flash.Code()[0], 0xFF);
    EXPECT_EQ(m_flash.Data()[0], 0x00);
    Send(Frame('A'));
    EXPECT_EQ(m_flash.Data()[0], 0xFF);
}

}  // namespace
}  // namespace tovrel::sim
