// The simulator as a separate process, driven with raw bytes through its terminal.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/sim/raw_line.h"

namespace tovrel::testing {
namespace {

using Direction = TraceEntry::Direction;

const Bytes kAck{0x06};
const Bytes kNak{0x15};
const std::string kDefaultId = "Kaz 8QA    205           ";
const Bytes kEraseCode{0x07, 0x0E, 0x01, 0x43, 0xBC};
const Bytes kSwitchTo115200{0x07, 0x0E, 0x03, 0x42, 0x81, 0x20, 0x1A};

Bytes VerifyFrame(std::uint8_t page) { return Frame('V', {page}); }

class SimLine : public ::testing::Test {
  protected:
    std::string TracePath() const { return m_dir.File("trace"); }
    std::string StatePath() const { return m_dir.File("state"); }
    std::vector<std::string> Traced(std::vector<std::string> extra = {}) const {
        extra.insert(extra.end(), {"--trace", TracePath(), "--state", StatePath()});
        return extra;
    }

    TempDir m_dir;
};

TEST_F(SimLine, AnswersResetWithTheDefaultIdentification) {
    SimProcess sim;
    ASSERT_TRUE(sim.Started()) << sim.Error();
    RawLine line(sim.Path());
    EXPECT_EQ(IdText(line.Exchange(kResetBytes, 25)), kDefaultId);
}

TEST_F(SimLine, RunsADownloadWithExactRepliesAndRealFlash) {
    SimProcess sim(Traced());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    RawLine line(sim.Path());
    EXPECT_EQ(line.Exchange({0x07, 0x0E, 0x01, 0x41, 0xBE}), kAck);
    EXPECT_EQ(line.Exchange({0x07, 0x0E, 0x05, 0x57, 0x00, 0x00, 0x00, 0x12, 0x92}), kAck);
    EXPECT_EQ(line.Exchange(QuickFrame(2, Bytes(256, 0xA5))), kAck);
    EXPECT_EQ(
        line.Exchange({0x07, 0x0E, 0x08, 0x45, 0x00, 0x01, 0x2C, 0xAA, 0x55, 0x00, 0xFF, 0x88}),
        kAck);
    EXPECT_EQ(line.Exchange({0x07, 0x0E, 0x02, 0x53, 0x04, 0xA7}), kAck);
    EXPECT_EQ(line.Exchange({0x07, 0x0E, 0x02, 0x46, 0xFE, 0xBA}), kAck);
    const Bytes page0 = line.Exchange({0x07, 0x0E, 0x02, 0x56, 0x00, 0xA8}, 257);
    ASSERT_EQ(page0.size(), 257u);
    EXPECT_EQ(page0[0], 0x12);
    EXPECT_EQ(page0[1], 0xFF);

    const std::optional<SimState> state = ReadSimState(StatePath());
    ASSERT_TRUE(state);
    EXPECT_EQ(state->code[0x200], 0xA5);
    EXPECT_EQ(state->code[0x2FF], 0xA5);
    EXPECT_EQ(state->code[0x300], 0xFF);
    EXPECT_EQ(Bytes(state->data.begin() + 1200, state->data.begin() + 1204),
              (Bytes{0xAA, 0x55, 0x00, 0xFF}));
    EXPECT_EQ(state->security, 0x04);
    EXPECT_EQ(state->bootload, 0xFE);
}

TEST_F(SimLine, RefusesAFrameThatFailsItsChecksAndStaysInStep) {
    SimProcess sim;
    ASSERT_TRUE(sim.Started()) << sim.Error();
    RawLine line(sim.Path());
    EXPECT_EQ(line.Exchange({0x07, 0x0E, 0x01, 0x43, 0xBD}), kNak);
    EXPECT_EQ(line.Exchange(Frame('W', {0x01, 0x00, 0x00, 0x12})), kNak);
    EXPECT_EQ(line.Exchange(kEraseCode), kAck);
}

TEST_F(SimLine, VerifyCatchesAWriteWithoutErase) {
    SimProcess sim;
    ASSERT_TRUE(sim.Started()) << sim.Error();
    RawLine line(sim.Path());
    line.Exchange(Frame('W', {0x00, 0x10, 0x00, 0x0F}));
    line.Exchange(Frame('W', {0x00, 0x10, 0x00, 0xF0}));
    EXPECT_EQ(line.Exchange(VerifyFrame(0x10), 257)[0], 0x00);
    line.Exchange(kEraseCode);
    line.Exchange(Frame('W', {0x00, 0x10, 0x00, 0xF0}));
    EXPECT_EQ(line.Exchange(VerifyFrame(0x10), 257)[0], 0xF0);
}

TEST_F(SimLine, TracesTheExactBytesBothWays) {
    SimProcess sim(Traced());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    RawLine line(sim.Path());
    line.Write({0x55});
    line.Exchange(kEraseCode);
    sim.Stop();
    const std::vector<TraceEntry> trace = ReadTrace(TracePath());
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[0].bytes, Bytes{0x55});
    EXPECT_EQ(trace[0].kind, "?");
    EXPECT_EQ(trace[1].direction, Direction::Rx);
    EXPECT_EQ(trace[1].bytes, kEraseCode);
    EXPECT_EQ(trace[1].kind, "C");
    EXPECT_EQ(trace[1].baud, 9600);
    EXPECT_EQ(trace[2].direction, Direction::Tx);
    EXPECT_EQ(trace[2].bytes, kAck);
    EXPECT_EQ(trace[2].kind, "C");
}

TEST_F(SimLine, ReportsTheModelledWireTimeWhenItEnds) {
    SimProcess sim(Traced());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    RawLine(sim.Path()).Exchange(kResetBytes, 25);
    sim.Stop();
    std::ifstream in(TracePath());
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    // 4 + 25 bytes of ten bits at 9600 baud.
    EXPECT_NE(text.find("1 messages, 4 bytes received, 25 bytes sent, wire 0.030208 s"),
              std::string::npos)
        << text;
}

TEST_F(SimLine, ServesAHostThatOpensAndClosesThePortAgainAndAgain) {
    SimProcess sim;
    ASSERT_TRUE(sim.Started()) << sim.Error();
    for (int i = 0; i < 20; ++i) {
        RawLine line(sim.Path());
        ASSERT_TRUE(line.IsOpen());
        ASSERT_EQ(IdText(line.Exchange(kResetBytes, 25)), kDefaultId) << "open " << i;
    }
}

TEST_F(SimLine, LosesAReplyThatArrivesAfterTheHostClosedThePort) {
    SimProcess sim(Traced({"--delay-reply", "ID:1:50"}));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    {
        RawLine line(sim.Path());
        line.Write(kResetBytes);
    }
    WaitForTrace(TracePath(), [](const auto& trace) { return trace.size() == 2; });
    RawLine line(sim.Path());
    EXPECT_EQ(line.Exchange(kEraseCode), kAck);
}

TEST_F(SimLine, SwitchesRateAfterAcknowledgingAtTheOldRate) {
    SimProcess sim(Traced());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    RawLine line(sim.Path());
    EXPECT_EQ(line.Exchange(kSwitchTo115200), kAck);
    line.Write(kResetBytes);  // still at 9600: arrives garbled and goes unanswered
    const auto trace = WaitForTrace(TracePath(), [](const auto& t) { return t.size() == 3; });
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[2].bytes, Bytes(4, 0x00));
    EXPECT_EQ(trace[2].baud, 115200);
    line.SetSpeed(B115200);
    EXPECT_EQ(IdText(line.Exchange(kResetBytes, 25)), kDefaultId);
}

TEST_F(SimLine, GarblesTheAcknowledgementForAHostThatSwitchedTooEarly) {
    SimProcess sim(Traced({"--delay-reply", "B:1:300"}));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    RawLine line(sim.Path());
    line.Write(kSwitchTo115200);
    // Only once the device has the frame: the rate is checked when bytes are taken in.
    WaitForTrace(TracePath(), [](const auto& trace) { return !trace.empty(); });
    line.SetSpeed(B115200);
    EXPECT_EQ(line.Read(1), Bytes{0x00});
}

struct RateCase {
    const char* name;
    const char* coreClock;
    Bytes timer;  // T3CON, T3FD
    speed_t hostSpeed;
    bool understood;
};

class RateToleranceTest : public SimLine, public ::testing::WithParamInterface<RateCase> {};

// The device is switched with the host at 9600, then the host takes its own speed.
TEST_P(RateToleranceTest, UnderstandsAHostWithinThreePercent) {
    SimProcess sim(Traced({"--fcore", GetParam().coreClock}));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    RawLine line(sim.Path());
    ASSERT_EQ(line.Exchange(Frame('B', GetParam().timer)), kAck);
    line.SetSpeed(GetParam().hostSpeed);
    line.Write(kResetBytes);
    const auto trace = WaitForTrace(TracePath(), [](const auto& t) { return t.size() >= 3; });
    ASSERT_GE(trace.size(), 3u);
    EXPECT_EQ(trace[2].kind, GetParam().understood ? "ID" : "?");
    if (GetParam().understood) {
        EXPECT_EQ(IdText(line.Read(25)), kDefaultId);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SimLine, RateToleranceTest,
    ::testing::Values(RateCase{"Fast115200", "11059200", {0x81, 0x20}, B115200, true},
                      RateCase{"FastButHostSlow", "11059200", {0x81, 0x20}, B9600, false},
                      RateCase{"Slow9615For20MHz", "20000000", {0x86, 0x01}, B9600, true},
                      RateCase{"JustWithin", "316096", {0x80, 0x00}, B9600, true},    // 9878
                      RateCase{"JustBeyond", "317952", {0x80, 0x00}, B9600, false}),  // 9936
    [](const auto& info) { return info.param.name; });

TEST_F(SimLine, IgnoresTheLoaderOnceUserCodeRunsUntilPowerCycledWithThePinHeld) {
    SimProcess sim(Traced());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    RawLine line(sim.Path());
    ASSERT_EQ(line.Exchange(kSwitchTo115200), kAck);
    line.SetSpeed(B115200);
    EXPECT_EQ(line.Exchange({0x07, 0x0E, 0x04, 0x55, 0x00, 0x00, 0x00, 0xA7}), kAck);
    line.Write(kResetBytes);
    auto trace = WaitForTrace(TracePath(), [](const auto& t) { return t.size() == 5; });
    EXPECT_EQ(trace.back().kind, "ID");
    EXPECT_EQ(trace.back().direction, Direction::Rx);

    ASSERT_TRUE(sim.Signal(SIGUSR2));  // without the pin: still user code
    line.SetSpeed(B9600);
    line.Write(kResetBytes);
    trace = WaitForTrace(TracePath(), [](const auto& t) { return t.size() == 6; });
    EXPECT_EQ(trace.back().direction, Direction::Rx);

    // A signal sent before the bytes is taken in before them.
    ASSERT_TRUE(sim.Signal(SIGUSR1));
    EXPECT_EQ(IdText(line.Exchange(kResetBytes, 25)), kDefaultId);
}

TEST_F(SimLine, KeepsTheFlashAcrossRunsInItsStateFile) {
    {
        SimProcess sim(Traced());
        ASSERT_TRUE(sim.Started()) << sim.Error();
        RawLine line(sim.Path());
        ASSERT_EQ(line.Exchange(Frame('W', {0x00, 0xF7, 0xFF, 0x5A})), kAck);
    }
    SimProcess sim(Traced());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    RawLine line(sim.Path());
    EXPECT_EQ(line.Exchange(VerifyFrame(247), 257)[255], 0x5A);
}

TEST_F(SimLine, DropsAnUnfinishedMessageAfterAQuietGap) {
    SimProcess sim(Traced({"--gap-ms", "20"}));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    RawLine line(sim.Path());
    line.Write({0x07, 0x0E, 0x09, 0x57, 0x00});
    const auto trace = WaitForTrace(TracePath(), [](const auto& t) { return !t.empty(); });
    ASSERT_EQ(trace.size(), 1u);
    EXPECT_EQ(trace[0].kind, "?");
    EXPECT_EQ(IdText(line.Exchange(kResetBytes, 25)), kDefaultId);
}

TEST_F(SimLine, MakesAndRemovesTheLink) {
    const std::string link = m_dir.File("COM1");
    {
        SimProcess sim({"--link", link});
        ASSERT_TRUE(sim.Started()) << sim.Error();
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), sim.Path());
        RawLine line(link);
        EXPECT_EQ(IdText(line.Exchange(kResetBytes, 25)), kDefaultId);
    }
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

TEST_F(SimLine, EndsAfterTheNamedExchange) {
    SimProcess sim({"--exit-after", "C:2"});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    RawLine line(sim.Path());
    EXPECT_EQ(line.Exchange(kEraseCode), kAck);
    EXPECT_EQ(line.Exchange(kEraseCode), kAck);
    ASSERT_TRUE(sim.WaitForExit(RawLine::kReplyTimeoutMs));
    EXPECT_EQ(sim.ExitStatus(), 0);
}

TEST_F(SimLine, HangsUpAfterTheNamedExchange) {
    const std::string link = m_dir.File("COM1");
    SimProcess sim({"--hangup-after", "ANY:2", "--link", link});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    RawLine line(sim.Path());
    EXPECT_EQ(IdText(line.Exchange(kResetBytes, 25)), kDefaultId);
    EXPECT_EQ(line.Exchange(kEraseCode), kAck);
    ASSERT_TRUE(sim.WaitForExit(RawLine::kReplyTimeoutMs));
    EXPECT_TRUE(line.Exchange(kEraseCode).empty());
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

TEST_F(SimLine, RefusesToStartOnABadOptionOrStateFile) {
    SimProcess badOption({"--reply-byte", "C:1"});
    EXPECT_FALSE(badOption.Started());
    EXPECT_EQ(badOption.Stop(), 2);
    std::ofstream(StatePath()) << "not a state file\n";
    SimProcess badState({"--state", StatePath()});
    EXPECT_FALSE(badState.Started());
    EXPECT_EQ(badState.Stop(), 1);
}

}  // namespace
}  // namespace tovrel::testing
