#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "sim/flash_memory.h"
#include "sim/message_parser.h"

namespace tovrel::sim {

inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kNak = 0x15;
inline constexpr std::size_t kIdTextSize = 25;
// The loader's rate on an 11.0592 MHz crystal, and on a 20 MHz one by exception.
inline constexpr long kBootRate = 9600;
inline constexpr long kDefaultCoreClock = 11059200;
// Blank-padded to kIdTextSize: family "Kaz 8", model "QA", version 2.05 at 12-14.
inline constexpr const char* kDefaultIdText = "Kaz 8QA    205";

// What a command costs the device beyond the bytes on the wire (used for pacing).
enum class DeviceWork { None, Erase, PageWrite, RecordWrite };

struct LoaderReply {
    Bytes bytes;
    DeviceWork work = DeviceWork::None;
    long newRate = 0;             // 'B': the rate to take once this reply has gone out
    bool startsUserCode = false;  // 'U': after this reply the loader is gone
    bool changedMemory = false;   // the state file needs saving
};

// The baud rate that timer 3 gives: 2 * fcore / (2^DIV * (T3FD + 64)), with DIV in the
// low three bits of T3CON; 0 when bit 7 (timer enabled) is clear.
long BaudFromTimer(long coreClock, std::uint8_t t3con, std::uint8_t t3fd);

// The rate the boot loader starts at on a crystal of coreClock Hz (more than 0): 115200 / d
// with d = 132710400 / coreClock, each rounded to the nearest whole number, a half to the
// even one; a 20 MHz crystal starts at 9600. At least 1.
long StartRate(long coreClock);

// The boot loader's answer to each message, applied to the flash it owns.
// A message that fails its checks (start, length, checksum, command, range) is
// answered 15 hex and changes nothing.
class BootLoader {
  public:
    BootLoader(FlashMemory& flash, std::string idText, long coreClock);

    LoaderReply Handle(const Message& message);

  private:
    LoaderReply Dispatch(std::uint8_t letter, std::span<const std::uint8_t> payload);
    LoaderReply Erase(bool withData);
    LoaderReply SetRate(std::span<const std::uint8_t> payload);
    LoaderReply WriteRecord(std::span<const std::uint8_t> payload);
    LoaderReply WritePage(const Bytes& frame);
    LoaderReply ReadPage(std::span<const std::uint8_t> payload);
    LoaderReply WriteData(std::span<const std::uint8_t> payload);
    LoaderReply SetSecurity(std::span<const std::uint8_t> payload);
    LoaderReply SetBootload(std::span<const std::uint8_t> payload);
    LoaderReply Run(std::span<const std::uint8_t> payload);

    FlashMemory& m_flash;
    Bytes m_idText;
    long m_coreClock;
};

}  // namespace tovrel::sim
