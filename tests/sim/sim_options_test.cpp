#include "sim/sim_options.h"

#include <gtest/gtest.h>

namespace tovrel::sim {
namespace {

struct BadOptionCase {
    const char* name;
    std::vector<const char*> args;
    const char* errorPart;
};

class BadOptionTest : public ::testing::TestWithParam<BadOptionCase> {};

TEST_P(BadOptionTest, IsRejectedWithAClearMessage) {
    SimOptions options;
    std::string error;
    EXPECT_FALSE(ParseOptions(GetParam().args, options, error));
    EXPECT_NE(error.find(GetParam().errorPart), std::string::npos) << error;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(SimOptions, BadOptionTest, ::testing::Values(
    BadOptionCase{"Unknown", {"--bogus"}, "unknown option '--bogus'"},
    BadOptionCase{"MissingValue", {"--trace"}, "--trace needs a value"},
    BadOptionCase{"FlagWithValue", {"--realtime=1"}, "--realtime takes no value"},
    BadOptionCase{"IdTooLong", {"--id", "Kaz 8QA    205            X"}, "at most 25"},
    BadOptionCase{"CodeSizeNotPages", {"--code-size", "1000"}, "multiple of 256"},
    BadOptionCase{"ReplyByteWithoutByte", {"--reply-byte", "C:1"}, "SEL:N:HH"},
    BadOptionCase{"ReplyByteTooBig", {"--reply-byte", "C:1:100"}, "SEL:N:HH"},
    BadOptionCase{"UnknownSelector", {"--reply-byte", "X:1:15"}, "SEL:N:HH"},
    BadOptionCase{"NthZero", {"--drop-reply", "C:0"}, "SEL:N"},
    BadOptionCase{"DelayNotNumber", {"--delay-reply", "V:1:abc"}, "SEL:N:MS"},
    BadOptionCase{"StrayOddDigits", {"--stray", "ANY:1:ABC"}, "SEL:N:HEXBYTES"},
    BadOptionCase{"CorruptPageTooBig", {"--corrupt-verify", "256:1"}, "PAGE:K"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
}  // namespace tovrel::sim
