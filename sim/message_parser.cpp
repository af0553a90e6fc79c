#include "sim/message_parser.h"

#include <numeric>

namespace tovrel::sim {
namespace {

constexpr std::size_t kLengthOffset = 2;
constexpr std::size_t kLetterOffset = 3;
constexpr std::size_t kPageOffset = 2;

// The loader's checksum rule: the covered bytes and the checksum sum to 0 mod 256.
bool SumsToZero(Bytes::const_iterator first, Bytes::const_iterator last) {
    return std::accumulate(first, last, 0u) % kChecksumModulus == 0;
}

}  // namespace

std::uint8_t Message::Letter() const {
    switch (kind) {
        case MessageKind::Frame:
            return bytes.size() > kLetterOffset + 1 ? bytes[kLetterOffset] : 0;
        case MessageKind::QuickPage:
            return kQuickPageLetter;
        default:
            return 0;
    }
}

bool Message::Sound() const {
    switch (kind) {
        case MessageKind::Reset:
            return true;
        case MessageKind::Frame:
            return bytes.size() > kLengthOffset &&
                   bytes.size() == bytes[kLengthOffset] + kFrameOverhead &&
                   bytes[kLengthOffset] > 0 &&
                   SumsToZero(bytes.begin() + kLengthOffset, bytes.end());
        case MessageKind::QuickPage:
            return bytes.size() == kQuickFrameSize &&
                   SumsToZero(bytes.begin() + kPageOffset, bytes.end());
        default:
            return false;
    }
}

void MessageParser::Feed(std::uint8_t byte, std::vector<Message>& out) {
    switch (m_state) {
        case State::Idle:
            if (byte == kResetMessage[0]) {
                m_state = State::ResetMessage;
            } else if (byte == kStartByte) {
                m_state = State::StartSeen;
            } else {
                m_junk.push_back(byte);
                return;
            }
            m_message.assign(1, byte);
            return;
        case State::ResetMessage:
            if (byte != kResetMessage[m_message.size()]) return Restart(byte, out);
            m_message.push_back(byte);
            if (m_message.size() == sizeof kResetMessage) Emit(MessageKind::Reset, out);
            return;
        case State::StartSeen:
            if (byte != kFramedMarker && byte != kQuickPageLetter) return Restart(byte, out);
            m_message.push_back(byte);
            m_state = byte == kFramedMarker ? State::Framed : State::QuickPage;
            return;
        case State::Framed:
            m_message.push_back(byte);
            if (m_message.size() > kLengthOffset &&
                m_message.size() == m_message[kLengthOffset] + kFrameOverhead) {
                Emit(MessageKind::Frame, out);
            }
            return;
        case State::QuickPage:
            m_message.push_back(byte);
            if (m_message.size() == kQuickFrameSize) Emit(MessageKind::QuickPage, out);
            return;
    }
}

void MessageParser::FlushJunk(std::vector<Message>& out) {
    if (m_junk.empty()) return;
    out.push_back(Message{MessageKind::Junk, std::move(m_junk)});
    m_junk.clear();
}

void MessageParser::Abandon(std::vector<Message>& out) {
    m_junk.insert(m_junk.end(), m_message.begin(), m_message.end());
    m_message.clear();
    m_state = State::Idle;
    FlushJunk(out);
}

void MessageParser::Reset() {
    m_state = State::Idle;
    m_message.clear();
    m_junk.clear();
}

void MessageParser::Emit(MessageKind kind, std::vector<Message>& out) {
    FlushJunk(out);
    out.push_back(Message{kind, std::move(m_message)});
    m_message.clear();
    m_state = State::Idle;
}

// A broken start: its bytes are junk, and the byte that broke it may begin a message.
void MessageParser::Restart(std::uint8_t byte, std::vector<Message>& out) {
    m_junk.insert(m_junk.end(), m_message.begin(), m_message.end());
    m_message.clear();
    m_state = State::Idle;
    Feed(byte, out);
}

}  // namespace tovrel::sim
