#include "tests/workflow/fake_pellicon.h"

#include <algorithm>

namespace tovrel::testing {
namespace {

const Bytes kResetMessage{0x21, 0x5A, 0x00, 0xA6};
constexpr std::size_t kPage = 256;
constexpr std::uint8_t kAckByte = 0x06;

int Address(const Bytes& payload) { return payload[1] << 8 | payload[2]; }

}  // namespace

FakePellicon::FakePellicon(FakeSerialPort& port) {
    code.fill(0xFF);
    port.respond = [this](const Bytes& message) { return Respond(message); };
}

void FakePellicon::Fail(std::uint8_t command, int nth, std::optional<std::uint8_t> reply) {
    m_faults.push_back({command, nth, reply});
}

int FakePellicon::Count(std::uint8_t command) const {
    return static_cast<int>(std::count(commands.begin(), commands.end(), command));
}

FakeReply FakePellicon::Respond(const Bytes& message) {
    std::uint8_t command = 0;
    Bytes payload;
    if (message == kResetMessage) {
        command = kResetKey;
    } else if (message.size() == 260 && message[1] == 'Q') {
        command = 'Q';
        payload.assign(message.begin() + 2, message.end() - 1);
    } else if (message.size() >= 5) {
        command = message[3];
        payload.assign(message.begin() + 4, message.end() - 1);
    }
    commands.push_back(command);
    payloads.push_back(payload);
    const int nth = ++m_seen[command];
    for (const Fault& fault : m_faults) {
        if (fault.command != command || (fault.nth != 0 && fault.nth != nth)) continue;
        if (!fault.reply) return {};
        return {{*fault.reply}};
    }
    return Answer(command, payload);
}

FakeReply FakePellicon::Answer(std::uint8_t command, const Bytes& payload) {
    switch (command) {
        case kResetKey:
            return {Bytes(idText.begin(), idText.end())};
        case 'A':
            data.clear();
            [[fallthrough]];
        case 'C':
            code.fill(0xFF);
            break;
        case 'W':
            std::copy(payload.begin() + 3, payload.end(), code.begin() + Address(payload));
            break;
        case 'Q':
            std::copy(payload.begin() + 1, payload.end(), code.begin() + payload[0] * kPage);
            break;
        case 'E':
            data[Address(payload)] = {payload[3], payload[4], payload[5], payload[6]};
            break;
        case 'V': {
            Bytes page(code.begin() + payload[0] * kPage, code.begin() + (payload[0] + 1) * kPage);
            page.push_back(0x00);
            if (corruptPageReads > 0) {
                --corruptPageReads;
                page[0] ^= 0x01;
            }
            return {page};
        }
        default:
            break;
    }
    return {{kAckByte}};
}

}  // namespace tovrel::testing
