#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "sim/message_parser.h"

namespace tovrel::sim {

// Which messages a fault counts: one command letter, the reset message, or any message.
struct MessageSelector {
    enum class Kind { Command, Reset, Any };
    Kind kind = Kind::Any;
    std::uint8_t letter = 0;

    bool Matches(const Message& message) const;
};

enum class FaultKind {
    ReplyByte,   // answer with one given byte (a byte other than 06 means: refused)
    DropReply,   // carry the command out, lose the reply
    DelayReply,  // answer after extra milliseconds
    ShortReply,  // send only the first COUNT bytes of the reply
    StrayBytes,  // send extra bytes before the reply
    HangUp,      // hang up the terminal after the reply
    ExitAfter,   // end the simulator after the reply
    NewBoard,    // take the board off after the reply, put a new erased one on later
};

// One fault: applies to the nth message (counted from 1) that the selector matches,
// or to every such message when nth is 0.
struct FaultRule {
    FaultKind kind = FaultKind::DropReply;
    MessageSelector selector;
    long nth = 0;
    long value = 0;  // the reply byte, the delay or new-board time in ms, or the byte count
    Bytes bytes;     // stray bytes
};

// Corrupts the replies to the first `reads` verify reads of one page.
struct VerifyCorruption {
    long page = 0;
    long reads = 0;
};

// The faults that apply to one message, decided when it arrives.
struct FaultDecision {
    std::optional<std::uint8_t> replyByte;
    bool dropReply = false;
    long delayMs = 0;
    std::optional<std::size_t> shortCount;
    Bytes stray;
    bool hangUp = false;
    bool exitAfter = false;
    std::optional<long> newBoardMs;
};

// Counts the messages each selector matches and says which faults hit each one.
class FaultPlan {
  public:
    FaultPlan(std::vector<FaultRule> rules, std::vector<VerifyCorruption> corruptions);

    FaultDecision Decide(const Message& message);
    // Spoils a verify reply when its page is still to be corrupted.
    void CorruptVerifyReply(std::uint8_t page, Bytes& reply);

  private:
    std::vector<FaultRule> m_rules;
    std::vector<long> m_counts;  // one per rule
    std::map<long, long> m_corruptionsLeft;
};

}  // namespace tovrel::sim
