#include "sim/message_parser.h"

#include <gtest/gtest.h>

#include "tests/sim/test_bytes.h"

namespace tovrel::sim {
namespace {

using testing::Frame;
using testing::Hex;
using testing::kResetBytes;
using testing::QuickFrame;

// Each message as "KIND:HEX", e.g. "F:070E0143BC", "R:215A00A6", "J:55".
std::vector<std::string> Parse(const Bytes& stream, bool abandonAtEnd = false) {
    MessageParser parser;
    std::vector<Message> messages;
    for (std::uint8_t byte : stream) parser.Feed(byte, messages);
    if (abandonAtEnd) {
        parser.Abandon(messages);
    } else {
        parser.FlushJunk(messages);
    }
    std::vector<std::string> described;
    for (const Message& message : messages) {
        const char* kind[] = {"R", "F", "Q", "J"};
        described.push_back(kind[static_cast<int>(message.kind)] + std::string(":") +
                            Hex(message.bytes));
    }
    return described;
}

struct ResyncCase {
    const char* name;
    Bytes stream;
    std::vector<std::string> expected;
};

class ResyncTest : public ::testing::TestWithParam<ResyncCase> {};

TEST_P(ResyncTest, CutsTheStreamIntoMessages) {
    EXPECT_EQ(Parse(GetParam().stream), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    MessageParser, ResyncTest,
    ::testing::Values(
        ResyncCase{"Reset", kResetBytes, {"R:215A00A6"}},
        ResyncCase{"EraseFrame", {0x07, 0x0E, 0x01, 0x43, 0xBC}, {"F:070E0143BC"}},
        ResyncCase{
            "JunkBeforeReset", {0x55, 0xAA, 0x21, 0x5A, 0x00, 0xA6}, {"J:55AA", "R:215A00A6"}},
        ResyncCase{"BrokenResetStartRestartsAtTheBreakingByte",
                   {0x21, 0x5A, 0x21, 0x5A, 0x00, 0xA6},
                   {"J:215A", "R:215A00A6"}},
        ResyncCase{"BrokenFrameStartRestarts",
                   {0x07, 0x07, 0x0E, 0x01, 0x43, 0xBC},
                   {"J:07", "F:070E0143BC"}},
        ResyncCase{
            "ResetAfterBrokenFrameStart", {0x07, 0x21, 0x5A, 0x00, 0xA6}, {"J:07", "R:215A00A6"}},
        ResyncCase{
            "ZeroLengthFrameIsTakenWhole", {0x07, 0x0E, 0x00, 0x00, 0x55}, {"F:070E0000", "J:55"}},
        ResyncCase{"BytesInsideAFrameAreNotStarts",
                   {0x07, 0x0E, 0x02, 0x21, 0x07, 0xD6},
                   {"F:070E022107D6"}},
        ResyncCase{"TwoFramesBackToBack",
                   {0x07, 0x0E, 0x01, 0x43, 0xBC, 0x07, 0x0E, 0x01, 0x41, 0xBE},
                   {"F:070E0143BC", "F:070E0141BE"}}),
    [](const auto& info) { return info.param.name; });

TEST(MessageParser, TakesTheQuickPageFrameWithoutLengthByte) {
    const Bytes frame = QuickFrame(1, Bytes(256, 0x12));
    const std::vector<std::string> parsed = Parse(frame);
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0], "Q:" + Hex(frame));
}

TEST(MessageParser, AbandonTurnsAnUnfinishedMessageIntoJunk) {
    EXPECT_EQ(Parse({0x55, 0x07, 0x0E, 0x05, 0x57}, true),
              std::vector<std::string>{"J:55070E0557"});
}

TEST(MessageParser, ParsesAgainAfterAbandon) {
    MessageParser parser;
    std::vector<Message> messages;
    for (std::uint8_t byte : Bytes{0x07, 0x0E, 0x09, 0x57}) parser.Feed(byte, messages);
    parser.Abandon(messages);
    for (std::uint8_t byte : kResetBytes) parser.Feed(byte, messages);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].kind, MessageKind::Reset);
}

struct SoundCase {
    const char* name;
    MessageKind kind;
    Bytes bytes;
    bool sound;
};

class SoundTest : public ::testing::TestWithParam<SoundCase> {};

TEST_P(SoundTest, ChecksStartLengthAndChecksum) {
    const Message message{GetParam().kind, GetParam().bytes};
    EXPECT_EQ(message.Sound(), GetParam().sound);
}

Bytes WithLastByte(Bytes bytes, int delta) {
    bytes.back() = static_cast<std::uint8_t>(bytes.back() + delta);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    MessageParser, SoundTest,
    ::testing::Values(
        SoundCase{"EraseCode", MessageKind::Frame, {0x07, 0x0E, 0x01, 0x43, 0xBC}, true},
        SoundCase{"ChecksumOffByOne", MessageKind::Frame, {0x07, 0x0E, 0x01, 0x43, 0xBD}, false},
        SoundCase{"ChecksumZeroNotHundred", MessageKind::Frame,
                  Frame('W', {0x00, 0x00, 0x00, 0xA4}), true},
        SoundCase{"ZeroLength", MessageKind::Frame, {0x07, 0x0E, 0x00, 0x00}, false},
        SoundCase{"QuickPage", MessageKind::QuickPage, QuickFrame(1, Bytes(256, 0x12)), true},
        SoundCase{"QuickPageChecksumCoversPage", MessageKind::QuickPage,
                  WithLastByte(QuickFrame(2, Bytes(256, 0x12)), 1), false},
        SoundCase{"Junk", MessageKind::Junk, {0x55}, false}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tovrel::sim
