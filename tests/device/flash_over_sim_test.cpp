#include <gtest/gtest.h>

#include <algorithm>

#include "flash/device_control.h"
#include "flash/download.h"
#include "flash/erase.h"
#include "flash/verify.h"
#include "image/dataflash_file_check.h"
#include "image/hex_file_check.h"
#include "tests/device/sim_device.h"
#include "tests/image/hex_text.h"

namespace tovrel {
namespace {

using testing::Record;
using testing::SimDevice;
using Bytes = std::vector<std::uint8_t>;

struct DownloadMode {
    const char* name;
    bool (*download)(Link&, ProgressSink&, const TextFile&);
};
void PrintTo(const DownloadMode& mode, std::ostream* out) { *out << mode.name; }

class CodeDownload : public SimDevice, public ::testing::WithParamInterface<DownloadMode> {};

// Records that run over page ends, and the very last page of the code space, land where the
// file puts them and nowhere else; the read-back verify agrees.
TEST_P(CodeDownload, WritesTheFileImageAndVerifies) {
    Identify();
    Bytes low(32);
    for (std::size_t i = 0; i < low.size(); ++i) low[i] = static_cast<std::uint8_t>(0x10 + 3 * i);
    const Bytes chunk(low.begin() + 7, low.begin() + 23);
    const TextFile file{dir.File("code.hex"),
                        TextLines(testing::HexFile({Record(0x00F0, low), Record(0x01F8, chunk),
                                                    Record(0xF7F0, chunk), testing::kEnd}))};
    ASSERT_TRUE(HexFileCheckFunction(settings, host, file, false));
    settings.OperationOK = EraseFunction(link);  // the download goes on from a good erase
    ASSERT_TRUE(GetParam().download(link, progress, file));
    VerifyOutcome outcome;
    EXPECT_TRUE(VerifyAfterDownloadFunction(link, progress, file, outcome));

    Bytes expected(63488, 0xFF);
    std::copy(low.begin(), low.end(), expected.begin() + 0x00F0);
    std::copy(chunk.begin(), chunk.end(), expected.begin() + 0x01F8);
    std::copy(chunk.begin(), chunk.end(), expected.begin() + 0xF7F0);
    EXPECT_EQ(State().code, expected);
    EXPECT_TRUE(host.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(SimDevice, CodeDownload,
                         ::testing::Values(DownloadMode{"Quick", &QuickDownloadMode},
                                           DownloadMode{"Standard", &StandardDownloadMode}),
                         [](const auto& info) { return std::string(info.param.name); });

// Data-flash addresses count four-byte pages. The file check lets an address equal to
// DataSize through, one page beyond the last: the device refuses that frame, the download
// reports it and the other lines still land. The security bits' leading data write of
// FF FF FF FF at 0000 must leave what page 0 holds.
TEST_F(SimDevice, DataSecurityAndBootloadLandInTheDevice) {
    Identify();
    const TextFile file{"data.txt",
                        TextLines("0,11,22,33,44\r\n640,01,02,03,04\r\n639,AA,55,00,FF\r\n")};
    ASSERT_TRUE(DataflashFileCheckFunction(settings, host, file));
    EXPECT_FALSE(DataDownloadMode(link, progress, file));
    std::int16_t lockAndSecure = 4;
    EXPECT_TRUE(SecurityBitsFunction(link, lockAndSecure));
    EXPECT_TRUE(BootloadFunction(link, 0xFE));

    const testing::SimState state = State();
    ASSERT_EQ(state.data.size(), 640u * 4);
    EXPECT_EQ(Bytes(state.data.begin(), state.data.begin() + 4), (Bytes{0x11, 0x22, 0x33, 0x44}));
    EXPECT_EQ(Bytes(state.data.end() - 4, state.data.end()), (Bytes{0xAA, 0x55, 0x00, 0xFF}));
    EXPECT_EQ(std::count(state.data.begin(), state.data.end(), 0xFF), 640 * 4 - 7);
    EXPECT_EQ(state.security, 0x04);
    EXPECT_EQ(state.bootload, 0xFE);
}

}  // namespace
}  // namespace tovrel
