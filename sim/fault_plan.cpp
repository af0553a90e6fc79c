#include "sim/fault_plan.h"

namespace tovrel::sim {
namespace {

// Flipping every bit of a byte in the middle of the page guarantees a difference.
constexpr std::size_t kCorruptedOffset = 0x80;

void Apply(const FaultRule& rule, FaultDecision& decision) {
    switch (rule.kind) {
        case FaultKind::ReplyByte:
            decision.replyByte = static_cast<std::uint8_t>(rule.value);
            break;
        case FaultKind::DropReply:
            decision.dropReply = true;
            break;
        case FaultKind::DelayReply:
            decision.delayMs += rule.value;
            break;
        case FaultKind::ShortReply:
            decision.shortCount = static_cast<std::size_t>(rule.value);
            break;
        case FaultKind::StrayBytes:
            decision.stray.insert(decision.stray.end(), rule.bytes.begin(), rule.bytes.end());
            break;
        case FaultKind::HangUp:
            decision.hangUp = true;
            break;
        case FaultKind::ExitAfter:
            decision.exitAfter = true;
            break;
        case FaultKind::NewBoard:
            decision.newBoardMs = rule.value;
            break;
    }
}

}  // namespace

bool MessageSelector::Matches(const Message& message) const {
    switch (kind) {
        case Kind::Any:
            return message.kind != MessageKind::Junk;
        case Kind::Reset:
            return message.kind == MessageKind::Reset;
        case Kind::Command:
            return message.Letter() == letter;
    }
    return false;
}

FaultPlan::FaultPlan(std::vector<FaultRule> rules, std::vector<VerifyCorruption> corruptions)
    : m_rules(std::move(rules)), m_counts(m_rules.size(), 0) {
    for (const VerifyCorruption& corruption : corruptions) {
        m_corruptionsLeft[corruption.page] += corruption.reads;
    }
}

FaultDecision FaultPlan::Decide(const Message& message) {
    FaultDecision decision;
    for (std::size_t i = 0; i < m_rules.size(); ++i) {
        if (!m_rules[i].selector.Matches(message)) continue;
        ++m_counts[i];
        if (m_rules[i].nth == 0 || m_rules[i].nth == m_counts[i]) Apply(m_rules[i], decision);
    }
    return decision;
}

void FaultPlan::CorruptVerifyReply(std::uint8_t page, Bytes& reply) {
    auto left = m_corruptionsLeft.find(page);
    if (left == m_corruptionsLeft.end() || left->second == 0 || reply.size() <= kCorruptedOffset) {
        return;
    }
    --left->second;
    reply[kCorruptedOffset] = static_cast<std::uint8_t>(~reply[kCorruptedOffset]);
}

}  // namespace tovrel::sim
