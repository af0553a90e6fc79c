#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/user_texts.h"
#include "flash/device_control.h"
#include "flash/download.h"
#include "flash/verify.h"
#include "flash/verify_files.h"
#include "tests/image/hex_text.h"
#include "tests/image/temp_dir.h"
#include "tests/support/link_fixture.h"

namespace tovrel {
namespace {

using namespace tovrel::testing;
using Messages = std::vector<ShownMessage>;
namespace fs = std::filesystem;

struct Flash : LinkFixture {
    Flash() { settings.OperationOK = true; }
    TempDir dir;
    RecordingProgressBar progress;
    std::string path = dir.Path("in.txt");
    std::string text;
    TextFile File() const { return {path, TextLines(text)}; }
};

// Each operation gets one number: security value, bootload byte or run address.
using Operation = bool (*)(Flash&, std::int32_t);
bool Standard(Flash& f, std::int32_t) { return StandardDownloadMode(f.link, f.progress, f.File()); }
bool Quick(Flash& f, std::int32_t) { return QuickDownloadMode(f.link, f.progress, f.File()); }
bool Data(Flash& f, std::int32_t) { return DataDownloadMode(f.link, f.progress, f.File()); }
bool Security(Flash& f, std::int32_t value) {
    std::int16_t bits = static_cast<std::int16_t>(value);
    return SecurityBitsFunction(f.link, bits);
}
bool Bootload(Flash& f, std::int32_t value) { return BootloadFunction(f.link, value & 0xFF); }
bool RunAt(Flash& f, std::int32_t address) {
    f.settings.RunAddress = address;
    return Run(f.link);
}

// 07 'Q' page, the page's 256 bytes (FF but data from offset on), checksum.
Bytes QuickFrame(std::uint8_t page, std::size_t offset, const Bytes& data, std::uint8_t sum) {
    Bytes frame{0x07, 'Q', page};
    frame.resize(3 + 256, 0xFF);
    std::copy(data.begin(), data.end(), frame.begin() + 3 + static_cast<std::ptrdiff_t>(offset));
    frame.push_back(sum);
    return frame;
}

struct ExchangeCase {
    const char* name;
    Operation operation;
    std::int32_t value;
    std::string file;
    // The device's answer to each message in turn: A 06, N 15, - none; 06 after the last.
    std::string replies;
    bool result;
    std::vector<Bytes> frames{};  // every frame written, or
    std::size_t count = 0;        // only how many when no frames are given
    Messages messages{};          // "@" stands for the download file's path
    friend void PrintTo(const ExchangeCase& c, std::ostream* os) { *os << c.name; }
};
class Exchange : public ::testing::TestWithParam<ExchangeCase> {};

TEST_P(Exchange, Rows) {
    const ExchangeCase& c = GetParam();
    Flash f;
    f.text = c.file;
    f.port.respond = [&f, &c](const Bytes&) {
        const std::size_t n = f.port.written.size() - 1;
        const char reply = n < c.replies.size() ? c.replies[n] : 'A';
        return FakeReply{reply == '-' ? Bytes{} : Bytes{std::uint8_t(reply == 'N' ? 0x15 : 0x06)}};
    };
    EXPECT_EQ(c.operation(f, c.value), c.result);
    EXPECT_EQ(f.port.written.size(), c.frames.empty() ? c.count : c.frames.size());
    if (!c.frames.empty()) {
        EXPECT_EQ(f.port.written, c.frames);
    }
    for (ShownMessage& m : f.host.messages) {
        const auto at = m.text.find(f.path);
        if (at != std::string::npos) m.text.replace(at, f.path.size(), "@");
    }
    EXPECT_EQ(f.host.messages, c.messages);
    if (c.operation == Standard || c.operation == Quick) {
        EXPECT_EQ(f.settings.OperationOK, c.result);
    }
}

ShownMessage Shown(const UserMessage& m) { return {m.text, m.title}; }
const ShownMessage kInvalidRun{"Invalid Run Address", "Warning Address"};
const Bytes kUnlock{0x07, 0x0E, 0x08, 0x45, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xB7};
const std::string kRecords = HexFile({Record(0, {1}), Record(0x10, {2}), Record(0x20, {3}), kEnd});
// clang-format off
const ExchangeCase kExchanges[] = {
    // The end record in the middle is skipped and the last line is sent.
    {"StandardSendsEveryRecordLine", Standard, 0,
     HexFile({":0100000012ED", kEnd, Record(0x10, {2})}), "", true,
     {{0x07, 0x0E, 0x05, 0x57, 0x00, 0x00, 0x00, 0x12, 0x92},
      {0x07, 0x0E, 0x05, 0x57, 0x00, 0x00, 0x10, 0x02, 0x92}}},
    {"StandardOtherRecordTypeAtItsAddressField", Standard, 0, HexFile({Record(0, {0x10, 0}, 4)}),
     "", true, {{0x07, 0x0E, 0x06, 0x57, 0x00, 0x00, 0x00, 0x10, 0x00, 0x93}}},
    {"StandardRefusalStops", Standard, 0, kRecords, "AN", false, {}, 2},
    {"StandardTooShortLineSendsNothing", Standard, 0, HexFile({":00", Record(0, {1})}), "", false,
     {}, 0, {{"Invalid Hex File", "Warning"}}},
    {"StandardRecordPastFFFFSendsNothing", Standard, 0,
     HexFile({Record(0, {1}), Record(0xFFF8, Bytes(16, 1))}), "", false, {}, 0,
     {Shown(BeyondAddressSpaceMessage("@"))}},
    {"NoDownloadAfterAFailure", [](Flash& f, std::int32_t) {
         f.settings.OperationOK = false;
         return Standard(f, 0) || Quick(f, 0); }, 0, kRecords, "", false},
    {"QuickRecordCrossingAPageEnd", Quick, 0, HexFile({Record(0x1F8, Bytes(16, 0x33))}), "", true,
     {QuickFrame(1, 0xF8, Bytes(8, 0x33), 0x5F), QuickFrame(2, 0, Bytes(8, 0x33), 0x5E)}},
    {"QuickSkipsEmptyPagesAndGoesUp", Quick, 0, HexFile({Record(0x9000, {1}),
     Record(0x500, Bytes(16, 0xFF)), Record(0x200, {2}), Record(0xF7FF, {3})}, "\n"), "", true,
     {QuickFrame(2, 0, {2}, 0xFB), QuickFrame(0x90, 0, {1}, 0x6E), QuickFrame(247, 0xFF, {3}, 5)}},
    {"QuickLaterRecordWinsUpToTheLastLine", Quick, 0,
     HexFile({Record(0x10, {1, 2}), Record(0x10, {9})}), "", true,
     {QuickFrame(0, 0x10, {9, 2}, 0xF3)}},
    {"QuickRefusalStops", Quick, 0,
     HexFile({Record(0, {1}), Record(0x100, {2}), Record(0x200, {3})}), "AN", false, {}, 2},
    {"QuickFileWithoutData", Quick, 0, HexFile({kEnd}), "", true, {}, 0},
    {"QuickRecordPastF800SendsNothing", Quick, 0,
     HexFile({Record(0, {1}), Record(0xF7F1, Bytes(16, 1))}), "", false, {}, 0,
     {Shown(OutsideCodeImageMessage("@"))}},
    // Missing bytes go out as 00; empty lines are skipped.
    {"DataFrames", Data, 0, "0,11,22,33,44\r\n300,AA,55,00,FF\r\n\r\n5,AA,BB\n", "", true,
     {{0x07, 0x0E, 0x08, 0x45, 0x00, 0x00, 0x00, 0x11, 0x22, 0x33, 0x44, 0x09},
      {0x07, 0x0E, 0x08, 0x45, 0x00, 0x01, 0x2C, 0xAA, 0x55, 0x00, 0xFF, 0x88},
      {0x07, 0x0E, 0x08, 0x45, 0x00, 0x00, 0x05, 0xAA, 0xBB, 0x00, 0x00, 0x49}}},
    {"DataRefusalDoesNotStop", Data, 0, "1,01\n2,02\n3,03\n", "N", false, {}, 3},
    {"DataLineWithoutAddressSendsNoFrame", Data, 0, "1,01\n-1,02\nx\n2,03\n", "", false, {}, 2},
    {"SecurityUnlockThenValue", Security, 4, "", "", true,
     {kUnlock, {0x07, 0x0E, 0x02, 0x53, 0x04, 0xA7}}},
    {"SecurityAnyAnswerToTheUnlock", Security, 6, "", "N", true, {}, 2},
    {"SecurityNoAnswerToTheUnlock", Security, 6, "", "-", false, {}, 1},
    {"SecurityValueRefused", Security, 3, "", "AN", false, {}, 2},
    {"BootloadOn", Bootload, 0xFE, "", "", true, {{0x07, 0x0E, 0x02, 0x46, 0xFE, 0xBA}}},
    {"BootloadRefused", Bootload, 0xFE, "", "N", false, {}, 1},
    {"BootloadNotOnThisDevice", [](Flash& f, std::int32_t value) {
         f.settings.BootloadOption = false;
         return Bootload(f, value); }, 0xFE, "", "", false, {}, 0},
    {"RunAt0", RunAt, 0, "", "", true, {{0x07, 0x0E, 0x04, 0x55, 0x00, 0x00, 0x00, 0xA7}}},
    {"RunAtF800", RunAt, 0xF800, "", "", true, {{0x07, 0x0E, 0x04, 0x55, 0x00, 0xF8, 0x00, 0xAF}}},
    {"RunAtF801", RunAt, 0xF801, "", "", false, {}, 0, {kInvalidRun}},
    {"RunAtMinus1", RunAt, -1, "", "", false, {}, 0, {kInvalidRun}},
    {"RunPastFFFFOnALargeDevice", [](Flash& f, std::int32_t address) {
         f.settings.CodeSize = 0x20000;
         return RunAt(f, address); }, 0x10000, "", "", false, {}, 0, {kInvalidRun}},
    {"RunWithoutReply", RunAt, 0, "", "-", false, {}, 1},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Frames, Exchange, ::testing::ValuesIn(kExchanges),
                         [](const auto& info) { return std::string(info.param.name); });

struct ProgressCase {
    const char* name;
    Operation operation;
    std::string file;
    std::string replies;
    std::size_t frames;
    std::vector<std::string> calls;
    friend void PrintTo(const ProgressCase& c, std::ostream* os) { *os << c.name; }
};
class Progress : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(Progress, CallsInOrder) {
    const ProgressCase& c = GetParam();
    Flash f;
    f.text = c.file;
    f.port.respond = [&f, &c](const Bytes&) {
        const std::size_t n = f.port.written.size() - 1;
        return FakeReply{
            Bytes{std::uint8_t(n < c.replies.size() && c.replies[n] == 'N' ? 0x15 : 0x06)}};
    };
    c.operation(f, 0);
    EXPECT_EQ(f.port.written.size(), c.frames);
    EXPECT_EQ(f.progress.calls, c.calls);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Bar, Progress, ::testing::Values(
    // The line whose reading ends the file is not counted: the bar ends at lines - 1.
    ProgressCase{"StandardEndsAtLinesLessOne", Standard, kRecords, "", 3,
     {"show", "min 0", "max 3", "value 0", "value 1", "value 2", "value 3", "hide"}},
    ProgressCase{"StandardLastRecordSentUncounted", Standard,
     HexFile({Record(0, {1}), Record(0x10, {2})}), "", 2,
     {"show", "min 0", "max 1", "value 0", "value 1", "hide"}},
    // The last line is sent only when it writes something: not an end record in small letters.
    ProgressCase{"StandardLastLineWithoutData", Standard, HexFile({Record(0, {1}), ":00000001ff"}),
     "", 1, {"show", "min 0", "max 1", "value 0", "value 1", "hide"}},
    ProgressCase{"StandardTrailingEmptyLinesCounted", Standard,
     HexFile({Record(0, {1}), kEnd, "", ""}), "", 1,
     {"show", "min 0", "max 3", "value 0", "value 1", "value 2", "value 3", "hide"}},
    ProgressCase{"QuickStopsAtTheRefusedPage", Quick,
     HexFile({Record(0, {1}), Record(0x100, {2}), Record(0x200, {3}), kEnd}), "AN", 2,
     {"show", "min 0", "max 3", "value 0", "value 1", "value 2", "hide"}},
    ProgressCase{"DataCountsNonEmptyLinesPastARefusal", Data, "1,01\r\n\r\n2,02\r\n", "N", 2,
     {"show", "min 0", "max 2", "value 0", "value 1", "value 2", "hide"}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// The flash holds what the hex file holds, and the 'V' command reads it back.
struct Verify : Flash {
    Verify() {
        CodeImage image;
        LoadCodeImage(host, hexFile, image);
        std::copy(image.Bytes().begin(), image.Bytes().end(), memory.begin());
        port.respond = [this](const Bytes& message) { return Answer(message[4]); };
    }
    FakeReply Answer(int page) {
        Bytes reply(memory.begin() + page * 256, memory.begin() + (page + 1) * 256);
        reply.push_back(0x00);
        if (corruptReplies[page] > 0 && corruptReplies[page]--) reply[0] ^= 0x01;
        if (replyLengths.count(page)) reply.resize(replyLengths[page]);
        return {reply};
    }
    bool Run() { return VerifyAfterDownloadFunction(link, progress, hexFile, outcome); }
    TextFile hexFile{dir.Path("code.hex"),
                     TextLines(HexFile({Record(0x10, {0x12}), Record(0x1F8, Bytes(16, 0xA5))}))};
    Bytes memory = Bytes(kCodeImageSize, 0xFF);
    std::map<int, int> corruptReplies;        // page -> replies still to come with a bad byte
    std::map<int, std::size_t> replyLengths;  // page -> bytes every reply for it brings
    VerifyOutcome outcome;
};

struct VerifyCase {
    const char* name;
    void (*setup)(Verify&);
    bool matched;
    std::size_t reads;
    friend void PrintTo(const VerifyCase& c, std::ostream* os) { *os << c.name; }
};
class VerifyRuns : public ::testing::TestWithParam<VerifyCase> {};

TEST_P(VerifyRuns, ReadEveryPageRetryingUpTo20FailuresInAll) {
    Verify v;
    GetParam().setup(v);
    EXPECT_EQ(v.Run(), GetParam().matched);
    EXPECT_EQ(v.port.written.size(), GetParam().reads);
    EXPECT_FALSE(v.outcome.filesWritten || fs::exists(v.dir.Path("verify.hex")));
    if (GetParam().reads > 0) {  // the bar ends full and hidden however the reads went
        EXPECT_EQ(v.progress.calls.back(), "hide");
        EXPECT_EQ(v.progress.value, 247);
    }
}

void CorruptOnce(Verify& v, int pages, int step) {
    for (int page = 0; page < pages; ++page) v.corruptReplies[page * step] = 1;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, VerifyRuns, ::testing::Values(
    VerifyCase{"NineteenFailuresPass", [](Verify& v) { CorruptOnce(v, 19, 13); }, true, 248 + 19},
    // Pages 0 to 18 each took a failure and a retry; page 19 failed the twentieth time.
    VerifyCase{"TwentiethFailureEnds", [](Verify& v) { CorruptOnce(v, 20, 1); }, false, 39},
    // Page 3 is erased; its 255-byte reply would match if the FF page 2 left at the end of the
    // receive buffer were compared as its last byte.
    VerifyCase{"ShortReplyIsAFailedRead", [](Verify& v) { v.replyLengths[3] = 255; }, false,
               3 + 20},
    VerifyCase{"CodeBeyondF800FailsBeforeAnyRead", [](Verify& v) {
        v.hexFile = {v.dir.Path("big.hex"), TextLines(HexFile({Record(0xF7F8, Bytes(16, 1))}))};
    }, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

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

TEST(VerifyFiles, FailedVerifyWritesWhatWasRead) {
    Verify v;
    v.settings.GenVerifyFiles = true;
    v.corruptReplies[1] = 20;
    EXPECT_FALSE(v.Run());
    const std::string hex = v.dir.Read("verify.hex");
    ASSERT_EQ(hex.size(), kHexSize);
    EXPECT_EQ(hex.substr(15 * kLine, kLine), ":1000F000" + kFF + "10\r\n");
    const std::string unverified = ":" + std::string(42, 'F') + "\r\n";
    EXPECT_EQ(hex.substr(16 * kLine, kLine), unverified);
    EXPECT_EQ(hex.substr(3967 * kLine, kLine), unverified);
    // The failed page holds its last reply.
    EXPECT_EQ(v.dir.Read("verify.bin").substr(0x100, 2), "\xFE\xFF");
}

TEST(VerifyFiles, EachIsReplacedWholeOrNotAtAll) {
    Verify v;
    v.settings.GenVerifyFiles = true;
    fs::create_directory(v.dir.Path("verify.hex"));
    v.dir.Write("verify.bin", std::string(100000, 'x'));
    EXPECT_TRUE(v.Run());
    EXPECT_FALSE(v.outcome.filesWritten);
    const ShownMessage cannotWrite{"Cannot write file " + v.dir.Path("verify.hex"), "Warning"};
    EXPECT_EQ(v.host.messages, Messages{cannotWrite});
    EXPECT_EQ(v.dir.Read("verify.bin").size(), kCodeImageSize);
    EXPECT_FALSE(fs::exists(v.dir.Path("verify.hex.tmp")) ||
                 fs::exists(v.dir.Path("verify.bin.tmp")));
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
