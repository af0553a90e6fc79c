#include "sim/sim_options.h"

#include <gtest/gtest.h>

namespace tovrel::sim {
namespace {

bool Parse(std::vector<const char*> args, SimOptions& options, std::string& error) {
    return ParseOptions(args, options, error);
}

struct BadOptionCase {
    const char* name;
    std::vector<const char*> args;
    const char* errorPart;
};

class BadOptionTest : public ::testing::TestWithParam<BadOptionCase> {};

TEST_P(BadOptionTest, IsRejectedWithAClearMessage) {
    SimOptions options;
    std::string error;
    EXPECT_FALSE(Parse(GetParam().args, options, error));
    EXPECT_NE(error.find(GetParam().errorPart), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    SimOptions, BadOptionTest,
    ::testing::Values(BadOptionCase{"Unknown", {"--bogus"}, "unknown option '--bogus'"},
                      BadOptionCase{"MissingValue", {"--trace"}, "--trace needs a value"},
                      BadOptionCase{"FlagWithValue", {"--realtime=1"}, "--realtime takes no value"},
                      BadOptionCase{
                          "IdTooLong", {"--id", "Kaz 8QA    205            X"}, "at most 25"},
                      BadOptionCase{"CodeSizeNotPages", {"--code-size", "1000"}, "multiple of 256"},
                      BadOptionCase{"CodeSizeTooBig", {"--code-size", "65792"}, "--code-size"},
                      BadOptionCase{"NoDataPages", {"--data-pages", "0"}, "--data-pages"},
                      BadOptionCase{"NegativeClock", {"--fcore", "-5"}, "--fcore"},
                      BadOptionCase{"ReplyByteWithoutByte", {"--reply-byte", "C:1"}, "SEL:N:HH"},
                      BadOptionCase{"ReplyByteTooBig", {"--reply-byte", "C:1:100"}, "SEL:N:HH"},
                      BadOptionCase{"UnknownSelector", {"--reply-byte", "X:1:15"}, "SEL:N:HH"},
                      BadOptionCase{"NthZero", {"--drop-reply", "C:0"}, "SEL:N"},
                      BadOptionCase{"DropWithValue", {"--drop-reply", "C:1:2"}, "SEL:N"},
                      BadOptionCase{"DelayNotNumber", {"--delay-reply", "V:1:abc"}, "SEL:N:MS"},
                      BadOptionCase{"StrayOddDigits", {"--stray", "ANY:1:ABC"}, "SEL:N:HEXBYTES"},
                      BadOptionCase{"CorruptPageTooBig", {"--corrupt-verify", "256:1"}, "PAGE:K"},
                      BadOptionCase{"GapZero", {"--gap-ms", "0"}, "--gap-ms"}),
    [](const auto& info) { return info.param.name; });

TEST(SimOptions, ReadsFaultsInBothSpellings) {
    SimOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--reply-byte=W:3:15", "--drop-reply", "ANY:*", "--stray", "ID:2:55AA",
                       "--corrupt-verify", "10:2", "--realtime"},
                      options, error))
        << error;
    ASSERT_EQ(options.faults.size(), 3u);
    EXPECT_EQ(options.faults[0].selector.letter, 'W');
    EXPECT_EQ(options.faults[0].nth, 3);
    EXPECT_EQ(options.faults[0].value, 0x15);
    EXPECT_EQ(options.faults[1].selector.kind, MessageSelector::Kind::Any);
    EXPECT_EQ(options.faults[1].nth, 0);
    EXPECT_EQ(options.faults[2].bytes, (Bytes{0x55, 0xAA}));
    EXPECT_EQ(options.corruptions[0].reads, 2);
    EXPECT_TRUE(options.realtime);
}

}  // namespace
}  // namespace tovrel::sim
