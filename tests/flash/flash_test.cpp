#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/user_texts.h"
#include "flash/device_control.h"
#include "flash/download.h"
#include "flash/erase.h"
#include "flash/verify.h"
#include "flash/verify_files.h"
#include "testbed/temp_dir.h"
#include "tests/image/hex_text.h"
#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

using namespace tovrel::testing;
using Messages = std::vector<ShownMessage>;
namespace fs = std::filesystem;

struct Flash : LinkFixture {
    Flash() { settings.OperationOK = true; }
    RecordingProgressBar progress;
    std::string text;  // of the file "in.txt"
    TextFile File() const { return {"in.txt", TextLines(text)}; }
};

// Each operation gets one number: erase mode, security value, bootload byte or run address.
using Operation = bool (*)(Flash&, std::int32_t);
bool Erase(Flash& f, std::int32_t all) { return f.settings.EraseMode = all, EraseFunction(f.link); }
bool Standard(Flash& f, std::int32_t) { return StandardDownloadMode(f.link, f.progress, f.File()); }
bool Quick(Flash& f, std::int32_t) { return QuickDownloadMode(f.link, f.progress, f.File()); }
bool Data(Flash& f, std::int32_t) { return DataDownloadMode(f.link, f.progress, f.File()); }
bool Security(Flash& f, std::int32_t value) {
    std::int16_t bits = static_cast<std::int16_t>(value);
    return SecurityBitsFunction(f.link, bits);
}
bool Bootload(Flash& f, std::int32_t value) { return BootloadFunction(f.link, value & 0xFF); }
bool RunAt(Flash& f, std::int32_t address) { return f.settings.RunAddress = address, Run(f.link); }

std::string Hex(const Bytes& bytes) {
    std::string text;
    for (std::uint8_t b : bytes) text += {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 15]};
    return text;
}

// 07 'Q' page, the page's 256 bytes (FF but data from offset on), checksum.
std::string QuickFrame(std::uint8_t page, std::size_t offset, const Bytes& data, std::uint8_t sum) {
    Bytes frame{0x07, 'Q', page};
    frame.resize(3 + 256, 0xFF);
    std::copy(data.begin(), data.end(), frame.begin() + 3 + static_cast<std::ptrdiff_t>(offset));
    frame.push_back(sum);
    return Hex(frame);
}

struct ExchangeCase {
    const char* name;
    Operation operation;
    std::int32_t value;
    std::string file;
    // The device's answer to each message in turn: A 06, N 15, - none; 06 after the last.
    std::string replies;
    bool result;
    std::vector<std::string> frames{};  // every frame written, in hex, or
    std::size_t count = 0;              // only how many when no frames are given
    Messages messages{};
    std::pair<int, int> bar{-1, -1};  // the progress bar's end: its maximum and last value
};
class Exchange : public ::testing::TestWithParam<ExchangeCase> {};

// Each frame is one write and one read of one byte within 500 ms; no retry.
TEST_P(Exchange, Rows) {
    const ExchangeCase& c = GetParam();
    Flash f;
    f.text = c.file;
    f.port.respond = [&f, &c](const Bytes&) {
        const std::size_t n = f.port.written.size() - 1;
        const char reply = n < c.replies.size() ? c.replies[n] : 'A';
        return reply == '-' ? Bytes{} : Bytes{std::uint8_t(reply == 'N' ? 0x15 : 0x06)};
    };
    EXPECT_EQ(c.operation(f, c.value), c.result);
    EXPECT_EQ(f.port.written.size(), c.frames.empty() ? c.count : c.frames.size());
    std::vector<std::string> written;
    for (const Bytes& frame : f.port.written) written.push_back(Hex(frame));
    EXPECT_EQ(c.frames.empty() ? written : c.frames, written);
    EXPECT_EQ(f.port.readCounts, std::vector<std::size_t>(f.port.written.size(), 1));
    EXPECT_EQ(f.host.messages, c.messages);
    const std::pair bar{f.progress.max, f.progress.value};  // ended and hidden
    EXPECT_TRUE(!f.progress.visible && (c.bar.first < 0 || bar == c.bar)) << bar.second;
    const bool downloads = c.operation == Standard || c.operation == Quick;
    EXPECT_TRUE(!downloads || f.settings.OperationOK == c.result);
}

ShownMessage Shown(const UserMessage& m) { return {m.text, m.title}; }
const std::string kRecords = HexFile({Record(0, {1}), Record(0x10, {2}), Record(0x20, {3}), kEnd});
// clang-format off
const ExchangeCase kExchanges[] = {
    {"EraseCodeAndData", Erase, true, "", "", true, {"070E0141BE"}},
    {"EraseCodeOnlyRefused", Erase, false, "", "N", false, {"070E0143BC"}},
    // The end record is skipped, one in small letters is sent; the bar ends at lines - 1.
    {"StandardSendsEveryRecordLine", Standard, 0,
     HexFile({":0100000012ED", kEnd, ":00000001ff", Record(0x10, {2})}), "", true,
     {"070E05570000001292", "070E0457000000A5", "070E05570000100292"}, 0, {}, {3, 3}},
    // Address records write nothing; 255 bytes go out as 251 and 4, the address following.
    {"StandardAddressRecordsUnsentLongRecordSplit", Standard, 0,
     HexFile({Record(0, {0, 0}, 4), Record(0x12, {0x34}), Record(0, {0, 0, 0, 0}, 5),
              Record(0xF000, Bytes(255, 0x5A))}), "", true, {}, 3},
    {"QuickLinearAddressNotZeroSendsNothing", Quick, 0,
     HexFile({Record(0, {0, 1}, 4), Record(0, {1})}), "", false, {}, 0,
     {Shown(ExtendedAddressMessage("in.txt"))}},
    {"StandardRefusalStopsTheSendingNotTheBar", Standard, 0, kRecords, "AN", false, {}, 2, {},
     {3, 3}},
    {"StandardLastLineWithoutDataUnsent", Standard, 0, HexFile({Record(0, {1}), ":00000001ff"}),
     "", true, {}, 1, {}, {1, 1}},
    {"StandardRecordPastFFFFSendsNothing", Standard, 0,
     HexFile({Record(0, {1}), Record(0xFFF8, Bytes(16, 1))}), "", false, {}, 0,
     {Shown(BeyondAddressSpaceMessage("in.txt"))}},
    {"NoDownloadAfterAFailure", [](Flash& f, std::int32_t) {
         f.settings.OperationOK = false;
         return Standard(f, 0) || Quick(f, 0); }, 0, kRecords, "", false},
    {"QuickRecordCrossingAPageEnd", Quick, 0, HexFile({Record(0x1F8, Bytes(16, 0x33))}), "", true,
     {QuickFrame(1, 0xF8, Bytes(8, 0x33), 0x5F), QuickFrame(2, 0, Bytes(8, 0x33), 0x5E)}},
    {"QuickSkipsEmptyPagesAndGoesUp", Quick, 0, HexFile({Record(0x9000, {1}),
     Record(0x500, Bytes(16, 0xFF)), Record(0x200, {2}), Record(0xF7FF, {3})}, "\n"), "", true,
     {QuickFrame(2, 0, {2}, 0xFB), QuickFrame(0x90, 0, {1}, 0x6E), QuickFrame(247, 0xFF, {3}, 5)}},
    {"QuickRefusalStops", Quick, 0,
     HexFile({Record(0, {1}), Record(0x100, {2}), Record(0x200, {3}), kEnd}), "AN", false, {}, 2,
     {}, {3, 2}},
    {"QuickRecordPastF800SendsNothing", Quick, 0,
     HexFile({Record(0, {1}), Record(0xF7F1, Bytes(16, 1))}), "", false, {}, 0,
     {Shown(OutsideCodeImageMessage("in.txt"))}},
    // Missing bytes go out as 00; empty lines are skipped; an address rounds half to even.
    {"DataFrames", Data, 0, "0,11,22,33,44\r\n300,AA,55,00,FF\r\n\r\n5,AA,BB\n2.5,01\n3.5,02\n", "",
     true, {"070E08450000001122334409", "070E084500012CAA5500FF88", "070E0845000005AABB000049",
            "070E084500000201000000B0", "070E084500000402000000AD"}, 0, {}, {5, 5}},
    {"DataRefusalDoesNotStop", Data, 0, "1,01\r\n\r\n2,02\r\n3,03\n", "N", false, {}, 3, {},
     {3, 3}},
    {"SecurityUnlockThenValue", Security, 4, "", "", true,
     {"070E0845000000FFFFFFFFB7", "070E025304A7"}},
    {"SecurityAnyAnswerToTheUnlock", Security, 6, "", "N", true, {}, 2},
    {"BootloadOn", Bootload, 0xFE, "", "", true, {"070E0246FEBA"}},
    {"BootloadOff", Bootload, 0xFF, "", "", true, {"070E0246FFB9"}},
    {"BootloadNotOnThisDevice", [](Flash& f, std::int32_t value) {
         f.settings.BootloadOption = false;
         return Bootload(f, value); }, 0xFE, "", "", false, {}, 0},
    {"RunAt0", RunAt, 0, "", "", true, {"070E0455000000A7"}},
    {"RunAtF800", RunAt, 0xF800, "", "", true, {"070E045500F800AF"}},
    {"RunAtF801", RunAt, 0xF801, "", "", false, {}, 0,
     {{"Invalid Run Address", "Warning Address"}}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Frames, Exchange, ::testing::ValuesIn(kExchanges),
                         [](const auto& info) { return std::string(info.param.name); });

// The flash holds what the hex file holds, and the 'V' command reads it back.
struct Verify : Flash {
    Verify() {
        CodeImage image;
        LoadCodeImage(host, hexFile, image);
        std::copy(image.Bytes().begin(), image.Bytes().end(), memory.begin());
        port.respond = [this](const Bytes& message) { return Answer(message[4]); };
    }
    Bytes Answer(int page) {
        Bytes reply(memory.begin() + page * 256, memory.begin() + (page + 1) * 256);
        reply.push_back(0x00);
        if (corruptReplies[page] > 0 && corruptReplies[page]--) reply[0] ^= 0x01;
        if (replyLengths.count(page)) reply.resize(replyLengths[page]);
        return reply;
    }
    bool Run() { return VerifyAfterDownloadFunction(link, progress, hexFile, outcome); }
    testbed::TempDir dir;
    TextFile hexFile{dir.Path("code.hex"),
                     TextLines(HexFile({Record(0x10, {0x12}), Record(0x1F8, Bytes(16, 0xA5))}))};
    Bytes memory = Bytes(kCodeImageSize, 0xFF);
    std::map<int, int> corruptReplies;        // page -> replies still to come with a bad byte
    std::map<int, std::size_t> replyLengths;  // page -> bytes every reply for it brings
    VerifyOutcome outcome;
};

void CorruptOnce(Verify& v, int pages, int step) {
    for (int page = 0; page < pages; ++page) v.corruptReplies[page * step] = 1;
}

// Up to 20 failed reads in all, each followed by a retry; the bar ends full however they went.
TEST(Verify, ReadsEveryPageRetryingUpTo20FailuresInAll) {
    // clang-format off
    const std::tuple<void (*)(Verify&), bool, std::size_t> rows[] = {
        {[](Verify& v) { CorruptOnce(v, 19, 13); }, true, 248 + 19},
        // Pages 0 to 18 each took a failure and a retry; page 19 failed the twentieth time.
        {[](Verify& v) { CorruptOnce(v, 20, 1); }, false, 39},
        // Page 3 is erased: its 255-byte reply would match with page 2's FF left in the buffer.
        {[](Verify& v) { v.replyLengths[3] = 255; }, false, 3 + 20}};
    // clang-format on
    for (auto [setup, matched, reads] : rows) {
        Verify v;
        setup(v);
        EXPECT_EQ(v.Run(), matched);
        EXPECT_EQ(v.port.written.size(), reads);
        EXPECT_FALSE(v.outcome.filesWritten || fs::exists(v.dir.Path("verify.hex")));
        EXPECT_TRUE(v.progress.value == 247 && !v.progress.visible);
    }
}

const std::string kFF(32, 'F');
constexpr std::size_t kLine = 45;  // ":10", address, "00", 32 digits, checksum, CR LF
constexpr std::size_t kHexSize = 3968 * kLine + 13;

TEST(VerifyFiles, ByteForByteBesideTheHexFile) {
    Verify v;
    v.settings.GenVerifyFiles = true;
    EXPECT_TRUE(v.Run());
    EXPECT_EQ(v.port.written.front(), (Bytes{0x07, 0x0E, 0x02, 0x56, 0x00, 0xA8}));
    EXPECT_EQ(v.port.written.back(), (Bytes{0x07, 0x0E, 0x02, 0x56, 0xF7, 0xB1}));
    EXPECT_EQ(v.port.readCounts, std::vector<std::size_t>(248, 257));
    EXPECT_TRUE(v.outcome.filesWritten);
    EXPECT_EQ(FolderPart("code.hex"), "");  // a bare name: the files go to the current folder
    const std::string hex = v.dir.Read("verify.hex");
    ASSERT_EQ(hex.size(), kHexSize);
    EXPECT_EQ(hex.substr(0, 2 * kLine),
              ":10000000" + kFF + "00\r\n:1000100012" + std::string(30, 'F') + "DD\r\n");
    EXPECT_EQ(hex.substr(31 * kLine, kLine),
              ":1001F000" + std::string(16, 'F') + "A5A5A5A5A5A5A5A5DF\r\n");
    EXPECT_EQ(hex.substr(3967 * kLine), ":10F7F000" + kFF + "19\r\n:00000001FF\r\n");
    EXPECT_EQ(v.dir.Read("verify.bin"), std::string(v.memory.begin(), v.memory.end()));
}

// As far as CodeSize goes; erased pages are not written back, a page that never comes whole
// leaves no result.
TEST(ReadBack, HexLeavesOutErasedPagesAndFailsAfter20ShortReads) {
    Verify v;
    CodeImage image;
    EXPECT_TRUE(ReadCodeFunction(v.link, v.progress, 4, image));
    EXPECT_EQ(v.port.written.size(), 4u);
    const std::string hex = ReadBackHexText(image, 4);
    ASSERT_EQ(hex.size(), 48 * kLine + 13);  // the last record crosses into page 2; 3 is erased
    EXPECT_EQ(hex.substr(kLine, kLine), ":1000100012" + std::string(30, 'F') + "DD\r\n");
    EXPECT_EQ(hex.substr(47 * kLine), ":1002F000" + kFF + "0E\r\n:00000001FF\r\n");
    v.replyLengths[2] = 255;
    EXPECT_FALSE(ReadCodeFunction(v.link, v.progress, 4, image));
    EXPECT_EQ(v.port.written.size(), 4u + 2 + 20);
}

}  // namespace
}  // namespace tovrel
