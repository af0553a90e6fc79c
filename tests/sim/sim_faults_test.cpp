// Every fault option, seen from the host's end of the line.
#include <gtest/gtest.h>

#include "tests/sim/raw_line.h"

namespace tovrel::testing {
namespace {

using Direction = TraceEntry::Direction;

const Bytes kAck{0x06};
const Bytes kEraseCode{0x07, 0x0E, 0x01, 0x43, 0xBC};
const std::string kDefaultId = "Kaz 8QA    205           ";

Bytes VerifyFrame(std::uint8_t page) { return Frame('V', {page}); }

class SimFaults : public ::testing::Test {
  protected:
    // Starts the simulator with a trace, a state file and the given faults.
    void Start(std::vector<std::string> faults) {
        faults.insert(faults.end(), {"--trace", TracePath(), "--state", m_dir.File("state")});
        m_sim = std::make_unique<SimProcess>(faults);
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
        m_line = std::make_unique<RawLine>(m_sim->Path());
    }
    std::string TracePath() const { return m_dir.File("trace"); }
    SimState State() const { return ReadSimState(m_dir.File("state")).value_or(SimState{}); }
    // A missing reply shows as the next message's reply arriving first.
    void ExpectNothingBeforeTheNextReply() {
        EXPECT_EQ(IdText(m_line->Exchange(kResetBytes, 25)), kDefaultId);
    }

    TempDir m_dir;
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<RawLine> m_line;
};

TEST_F(SimFaults, SilentNeverAnswers) {
    Start({"--silent"});
    m_line->Write(kResetBytes);
    m_line->Write(kEraseCode);
    const auto trace = WaitForTrace(TracePath(), [](const auto& t) { return t.size() >= 2; });
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_EQ(CountReceived(trace), 2u);
}

TEST_F(SimFaults, ReplyByteRefusesTheNthFrameOfACommand) {
    Start({"--reply-byte", "W:2:15"});
    EXPECT_EQ(m_line->Exchange(Frame('W', {0x00, 0x00, 0x00, 0x11})), kAck);
    EXPECT_EQ(m_line->Exchange(Frame('W', {0x00, 0x00, 0x01, 0x22})), Bytes{0x15});
    EXPECT_EQ(m_line->Exchange(Frame('W', {0x00, 0x00, 0x02, 0x33})), kAck);
    const SimState state = State();
    ASSERT_EQ(state.code.size(), 63488u);
    EXPECT_EQ(Bytes(state.code.begin(), state.code.begin() + 3), (Bytes{0x11, 0xFF, 0x33}));
}

TEST_F(SimFaults, ReplyByteOnEveryFrameAnswersTheResetToo) {
    Start({"--reply-byte", "ANY:*:00"});
    EXPECT_EQ(m_line->Exchange(kResetBytes), Bytes{0x00});
    EXPECT_EQ(m_line->Exchange(kEraseCode), Bytes{0x00});
    EXPECT_EQ(m_line->Exchange(kEraseCode), Bytes{0x00});
}

TEST_F(SimFaults, DropReplyCarriesTheCommandOutSilently) {
    Start({"--drop-reply", "E:1"});
    m_line->Write(Frame('E', {0x00, 0x00, 0x01, 0x01, 0x02, 0x03, 0x04}));
    ExpectNothingBeforeTheNextReply();
    EXPECT_EQ(State().data[4], 0x01);
}

TEST_F(SimFaults, DelayReplyAnswersLate) {
    Start({"--delay-reply", "C:1:150"});
    m_line->Write(kEraseCode);
    EXPECT_TRUE(m_line->Read(1, 20).empty());
    EXPECT_EQ(m_line->Read(1), kAck);
}

TEST_F(SimFaults, ShortReplyTruncatesAVerifyRead) {
    Start({"--short-reply", "V:1:100"});
    EXPECT_EQ(m_line->Exchange(VerifyFrame(0), 100), Bytes(100, 0xFF));
    ExpectNothingBeforeTheNextReply();
    EXPECT_EQ(m_line->Exchange(VerifyFrame(0), 257).size(), 257u);
}

TEST_F(SimFaults, ShortReplyTruncatesTheIdentification) {
    Start({"--short-reply", "ID:1:10"});
    EXPECT_EQ(IdText(m_line->Exchange(kResetBytes, 10)), "Kaz 8QA   ");
    ExpectNothingBeforeTheNextReply();
}

TEST_F(SimFaults, CorruptVerifySpoilsTheFirstReadsOfOnePage) {
    Start({"--corrupt-verify", "10:2"});
    EXPECT_EQ(m_line->Exchange(VerifyFrame(9), 257)[0x80], 0xFF);
    EXPECT_EQ(m_line->Exchange(VerifyFrame(10), 257)[0x80], 0x00);
    EXPECT_EQ(m_line->Exchange(VerifyFrame(10), 257)[0x80], 0x00);
    EXPECT_EQ(m_line->Exchange(VerifyFrame(10), 257)[0x80], 0xFF);
}

TEST_F(SimFaults, StraySendsBytesBeforeTheReply) {
    Start({"--stray", "ID:1:55AA"});
    const Bytes reply = m_line->Exchange(kResetBytes, 27);
    ASSERT_EQ(reply.size(), 27u);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 2), (Bytes{0x55, 0xAA}));
    EXPECT_EQ(std::string(reply.begin() + 2, reply.end()), kDefaultId);
    const auto trace = WaitForTrace(TracePath(), [](const auto& t) { return t.size() == 3; });
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[1].kind, "STRAY");
    EXPECT_EQ(trace[2].kind, "ID");
}

TEST_F(SimFaults, IdOverridesTheIdentificationText) {
    Start({"--id", "Zerk8QA version 2.05"});
    EXPECT_EQ(IdText(m_line->Exchange(kResetBytes, 25)), "Zerk8QA version 2.05     ");
}

TEST_F(SimFaults, FaultsCountOnlyTheirOwnCommand) {
    Start({"--drop-reply", "C:2"});
    EXPECT_EQ(m_line->Exchange(kEraseCode), kAck);
    EXPECT_EQ(m_line->Exchange(Frame('A')), kAck);
    m_line->Write(kEraseCode);
    ExpectNothingBeforeTheNextReply();
    EXPECT_EQ(m_line->Exchange(kEraseCode), kAck);
}

}  // namespace
}  // namespace tovrel::testing
