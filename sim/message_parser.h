#pragma once

#include <cstdint>
#include <vector>

namespace tovrel::sim {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kStartByte = 0x07;
inline constexpr std::uint8_t kFramedMarker = 0x0E;
// Command letters of the loader.
inline constexpr std::uint8_t kEraseCodeLetter = 'C';
inline constexpr std::uint8_t kEraseAllLetter = 'A';
inline constexpr std::uint8_t kBaudRateLetter = 'B';
inline constexpr std::uint8_t kWriteCodeLetter = 'W';
inline constexpr std::uint8_t kQuickPageLetter = 'Q';
inline constexpr std::uint8_t kVerifyLetter = 'V';
inline constexpr std::uint8_t kWriteDataLetter = 'E';
inline constexpr std::uint8_t kSecurityLetter = 'S';
inline constexpr std::uint8_t kBootloadLetter = 'F';
inline constexpr std::uint8_t kRunLetter = 'U';
inline constexpr unsigned kChecksumModulus = 256;
inline constexpr std::uint8_t kResetMessage[] = {0x21, 0x5A, 0x00, 0xA6};
inline constexpr std::size_t kPageSize = 256;
// 07 51 page, 256 data bytes, checksum.
inline constexpr std::size_t kQuickFrameSize = 3 + kPageSize + 1;
// 07 0E length ... checksum: the length byte counts neither start bytes nor checksum.
inline constexpr std::size_t kFrameOverhead = 4;

enum class MessageKind {
    Reset,      // the unframed identification request
    Frame,      // 07 0E length command payload checksum
    QuickPage,  // 07 51 page data checksum
    Junk,       // bytes that started no message and were discarded
};

struct Message {
    MessageKind kind = MessageKind::Junk;
    Bytes bytes;  // exactly as received

    // The command letter, 0 for the reset message, junk and a frame of length 0.
    std::uint8_t Letter() const;
    // Start bytes, length and checksum are right (the reset message always is).
    bool Sound() const;
};

// Cuts the byte stream from the host into messages. The loader has no way to
// resynchronise other than looking for a start: in between messages every byte
// that is neither 21 hex (the reset message) nor 07 hex (a frame) is discarded;
// a 21 or 07 that is not followed by the rest of its start is discarded too and
// the scan goes on with the byte that broke the start. Once 07 0E and the length
// byte (or 07 51) have arrived, the message is taken whole, whatever the bytes.
class MessageParser {
  public:
    // Takes one byte; appends to out whatever it completes (junk first).
    void Feed(std::uint8_t byte, std::vector<Message>& out);
    // Hands over the discarded bytes gathered so far as one junk message.
    void FlushJunk(std::vector<Message>& out);
    // The line went quiet in the middle of a message: its bytes become junk.
    void Abandon(std::vector<Message>& out);
    bool InMessage() const { return m_state != State::Idle; }
    void Reset();

  private:
    enum class State { Idle, ResetMessage, StartSeen, Framed, QuickPage };

    void Emit(MessageKind kind, std::vector<Message>& out);
    void Restart(std::uint8_t byte, std::vector<Message>& out);

    State m_state = State::Idle;
    Bytes m_message;
    Bytes m_junk;
};

}  // namespace tovrel::sim
