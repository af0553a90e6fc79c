#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/fake_serial_port.h"

namespace tovrel::testing {

// A boot loader with code and data flash behind the fake port: it keeps what the program
// writes, answers page reads from its flash, and can refuse or ignore chosen messages.
class FakePellicon {
  public:
    static constexpr std::uint8_t kResetKey = 'R';  // the unframed reset message
    static constexpr std::uint8_t kNak = 0x15;

    explicit FakePellicon(FakeSerialPort& port);

    // The identification text; empty: the device stays silent.
    std::string idText = "Kaz 8WFABCD205";
    std::array<std::uint8_t, 0x10000> code{};
    std::map<int, std::array<std::uint8_t, 4>> data;
    // Every message the device received, as its command letter (kResetKey for the reset).
    std::vector<std::uint8_t> commands;
    std::vector<Bytes> payloads;  // the framed messages' payloads, in the same order

    // The nth message (from 1; 0 = every one) with this letter gets this reply instead
    // (std::nullopt: no reply at all).
    void Fail(std::uint8_t command, int nth, std::optional<std::uint8_t> reply = kNak);
    // Page reads answer one wrong byte this many times before they answer right.
    int corruptPageReads = 0;

    int Count(std::uint8_t command) const;

  private:
    FakeReply Respond(const Bytes& message);
    FakeReply Answer(std::uint8_t command, const Bytes& payload);
    struct Fault {
        std::uint8_t command;
        int nth;
        std::optional<std::uint8_t> reply;
    };
    std::vector<Fault> m_faults;
    std::map<std::uint8_t, int> m_seen;
};

}  // namespace tovrel::testing
