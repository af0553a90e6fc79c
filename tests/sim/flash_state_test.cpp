#include <gtest/gtest.h>

#include <fstream>

#include "sim/flash_memory.h"
#include "tests/support/sim_process.h"

namespace tovrel::sim {
namespace {

TEST(FlashState, RoundTripsCodeDataAndModes) {
    testing::TempDir dir;
    FlashMemory written(kDefaultCodeSize, kDefaultDataPages);
    const std::uint8_t code[] = {0x12, 0x34};
    const std::uint8_t data[] = {1, 2, 3, 4};
    written.ProgramCode(0xF7FE, code);
    written.ProgramDataPage(639, data);
    written.SetSecurityBits(0x04);
    written.SetBootloadMode(0xFE);
    std::string error;
    ASSERT_TRUE(written.Save(dir.File("state"), error)) << error;

    FlashMemory read(kDefaultCodeSize, kDefaultDataPages);
    ASSERT_TRUE(read.Load(dir.File("state"), error)) << error;
    EXPECT_EQ(read.Code(), written.Code());
    EXPECT_EQ(read.Data(), written.Data());
    EXPECT_EQ(read.SecurityBits(), 0x04);
    EXPECT_EQ(read.BootloadMode(), 0xFE);

    // The test helper reads the same file.
    const std::optional<testing::SimState> state = testing::ReadSimState(dir.File("state"));
    ASSERT_TRUE(state);
    EXPECT_EQ(state->code, written.Code());
    EXPECT_EQ(state->data[639 * 4 + 3], 4);
    EXPECT_EQ(state->security, 0x04);
}

TEST(FlashState, RefusesAFileOfAnotherDevice) {
    testing::TempDir dir;
    std::string error;
    ASSERT_TRUE(FlashMemory(8192, 16).Save(dir.File("state"), error));
    FlashMemory flash(kDefaultCodeSize, kDefaultDataPages);
    EXPECT_FALSE(flash.Load(dir.File("state"), error));
    EXPECT_NE(error.find("8192"), std::string::npos) << error;
}

TEST(FlashState, RefusesATruncatedOrForeignFile) {
    testing::TempDir dir;
    std::string error;
    ASSERT_TRUE(FlashMemory(256, 1).Save(dir.File("state"), error));
    std::filesystem::resize_file(dir.File("state"),
                                 std::filesystem::file_size(dir.File("state")) - 1);
    FlashMemory flash(256, 1);
    EXPECT_FALSE(flash.Load(dir.File("state"), error));
    std::ofstream(dir.File("other")) << "hello\n";
    EXPECT_FALSE(flash.Load(dir.File("other"), error));
}

}  // namespace
}  // namespace tovrel::sim
