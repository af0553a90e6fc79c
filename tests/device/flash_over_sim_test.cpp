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

using testing::HexFile;
using testing::kEnd;
using testing::Record;
using testing::SimDevice;
using Bytes = std::vector<std::uint8_t>;

struct DownloadMode {
    const char* name;
    bool (*download)(Link&, ProgressBar&, const std::string&);
};
void PrintTo(const DownloadMode& mode, std::ostream* out) { *out << mode.name; }

constexpr std::size_t kFlashBytes = 63488;
constexpr int kVerifyAttempts = 20;

Bytes Counting(std::size_t count, std::uint8_t first) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + 3 * i);
    return bytes;
}

class CodeDownload : public SimDevice, public ::testing::WithParamInterface<DownloadMode> {
  protected:
    // Checks and writes the file as the download sequence does, after an erase or not.
    bool Download(const std::vector<std::string>& lines, bool erase) {
        settings.HexFileName = WriteFile("code.hex", HexFile(lines));
        if (!HexFileCheckFunction(settings, host, settings.HexFileName, false)) return false;
        settings.OperationOK = !erase || EraseFunction(link);
        return GetParam().download(link, progress, settings.HexFileName);
    }
};

// Records that run over page ends, and the very last page of the code space.
TEST_P(CodeDownload, WritesTheFileImageAndVerifies) {
    Identify();
    const Bytes low = Counting(32, 0x10), edge = Counting(16, 0x80), top = Counting(16, 0x01);
    ASSERT_TRUE(Download({Record(0x00F0, low), Record(0x01F8, edge), Record(0x1234, {0, 0x5A}),
                          Record(0xF7F0, top), kEnd},
                         true));
    EXPECT_TRUE(VerifyAfterDownloadFunction(link, progress));

    Bytes expected(kFlashBytes, 0xFF);
    std::copy(low.begin(), low.end(), expected.begin() + 0x00F0);
    std::copy(edge.begin(), edge.end(), expected.begin() + 0x01F8);
    expected[0x1234] = 0x00;
    expected[0x1235] = 0x5A;
    std::copy(top.begin(), top.end(), expected.begin() + 0xF7F0);
    EXPECT_EQ(State().code, expected);
    EXPECT_TRUE(host.messages.empty());
}

// Flash only clears bits, so a second file over an unerased first one leaves their AND and
// the verify gives up after its twentieth failed read.
TEST_P(CodeDownload, SkippedEraseIsCaughtByVerify) {
    Identify();
    ASSERT_TRUE(Download({Record(0x0000, {0x0F, 0x3C}), kEnd}, true));
    ASSERT_TRUE(Download({Record(0x0000, {0x33, 0x0F}), kEnd}, false));
    EXPECT_FALSE(VerifyAfterDownloadFunction(link, progress));

    const Bytes code = State().code;
    EXPECT_EQ(code[0], 0x03);
    EXPECT_EQ(code[1], 0x0C);
    const auto received = Received();
    EXPECT_EQ(std::count_if(received.begin(), received.end(),
                            [](const auto& e) { return e.kind == "V"; }),
              kVerifyAttempts);
}

INSTANTIATE_TEST_SUITE_P(SimDevice, CodeDownload,
                         ::testing::Values(DownloadMode{"Quick", &QuickDownloadMode},
                                           DownloadMode{"Standard", &StandardDownloadMode}),
                         [](const auto& info) { return std::string(info.param.name); });

// Data-flash addresses count four-byte pages; the security bits' leading data write of
// FF FF FF FF at 0000 must leave what page 0 holds.
TEST_F(SimDevice, DataSecurityAndBootloadLandInTheDevice) {
    Identify();
    const std::string file = WriteFile("data.txt",
                                       "0,11,22,33,44\r\n300,AA,55,00,FF\r\n"
                                       "639,01,02,03,04\r\n");
    ASSERT_TRUE(DataflashFileCheckFunction(settings, host, file));
    EXPECT_TRUE(DataDownloadMode(link, progress, file));
    std::int16_t lockAndSecure = 4;
    EXPECT_TRUE(SecurityBitsFunction(link, lockAndSecure));
    EXPECT_TRUE(BootloadFunction(link, 0xFE));

    const testing::SimState state = State();
    ASSERT_EQ(state.data.size(), 640u * 4);
    EXPECT_EQ(Bytes(state.data.begin(), state.data.begin() + 4), (Bytes{0x11, 0x22, 0x33, 0x44}));
    EXPECT_EQ(Bytes(state.data.begin() + 1200, state.data.begin() + 1204),
              (Bytes{0xAA, 0x55, 0x00, 0xFF}));
    EXPECT_EQ(Bytes(state.data.end() - 4, state.data.end()), (Bytes{0x01, 0x02, 0x03, 0x04}));
    EXPECT_EQ(std::count(state.data.begin(), state.data.end(), 0xFF), 640 * 4 - 11);
    EXPECT_EQ(state.security, 0x04);
    EXPECT_EQ(state.bootload, 0xFE);
}

// The file check lets an address equal to DataSize through, one page beyond the device's
// last: the device refuses that frame, the download reports it, and the other lines land.
TEST_F(SimDevice, DataAddressAtDataSizeIsRefusedByTheDevice) {
    Identify();
    const std::string file = WriteFile("data.txt", "640,01,02,03,04\r\n1,55,66,77,88\r\n");
    ASSERT_TRUE(DataflashFileCheckFunction(settings, host, file));
    EXPECT_FALSE(DataDownloadMode(link, progress, file));
    const Bytes data = State().data;
    EXPECT_EQ(Bytes(data.begin() + 4, data.begin() + 8), (Bytes{0x55, 0x66, 0x77, 0x88}));
}

}  // namespace
}  // namespace tovrel
