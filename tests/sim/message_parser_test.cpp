#include "sim/message_parser.h"

#include <gtest/gtest.h>

#include "tests/sim/frames.h"

namespace tovrel::sim {
namespace {

using testing::Hex;

struct ResyncCase {
    const char* name;
    std::vector<std::string> pieces;    // hex; the line goes quiet (Abandon) between pieces
    std::vector<std::string> expected;  // "KIND:HEX", e.g. "F:070E0143BC", "J:55"
};

class ResyncTest : public ::testing::TestWithParam<ResyncCase> {};

TEST_P(ResyncTest, CutsTheStreamIntoMessages) {
    MessageParser parser;
    std::vector<Message> messages;
    for (const std::string& piece : GetParam().pieces) {
        if (&piece != &GetParam().pieces.front()) parser.Abandon(messages);
        for (std::uint8_t byte : testing::BytesFromHex(piece)) parser.Feed(byte, messages);
    }
    parser.FlushJunk(messages);
    std::vector<std::string> described;
    for (const Message& message : messages) {
        described.push_back("RFQJ"[static_cast<int>(message.kind)] + (":" + Hex(message.bytes)));
    }
    EXPECT_EQ(described, GetParam().expected);
}

const std::string kQuick = Hex(testing::QuickFrame(1, Bytes(256, 0x12)));

// clang-format off
INSTANTIATE_TEST_SUITE_P(MessageParser, ResyncTest, ::testing::Values(
    ResyncCase{"JunkBeforeReset", {"55AA215A00A6"}, {"J:55AA", "R:215A00A6"}},
    ResyncCase{"BrokenResetStartRestarts", {"215A215A00A6"}, {"J:215A", "R:215A00A6"}},
    ResyncCase{"BrokenFrameStartRestarts", {"07070E0143BC"}, {"J:07", "F:070E0143BC"}},
    ResyncCase{"ResetAfterBrokenFrameStart", {"07215A00A6"}, {"J:07", "R:215A00A6"}},
    ResyncCase{"ZeroLengthFrameIsTakenWhole", {"070E000055"}, {"F:070E0000", "J:55"}},
    ResyncCase{"BytesInsideAFrameAreNotStarts", {"070E022107D6"}, {"F:070E022107D6"}},
    ResyncCase{"TwoFramesBackToBack", {"070E0143BC070E0141BE"}, {"F:070E0143BC", "F:070E0141BE"}},
    ResyncCase{"QuickPageHasNoLengthByte", {kQuick}, {"Q:" + kQuick}},
    ResyncCase{"AbandonedMessageBecomesJunk", {"55070E0557", ""}, {"J:55070E0557"}},
    ResyncCase{"ParsesAgainAfterAbandon", {"070E0957", "215A00A6"}, {"J:070E0957", "R:215A00A6"}}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
}  // namespace tovrel::sim
