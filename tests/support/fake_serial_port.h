#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace tovrel::testing {

using Bytes = std::vector<std::uint8_t>;

// An in-process device on the far end of the line, for fast unit tests.
class FakeSerialPort : public SerialPort {
  public:
    // Called for every message written; its answer is queued for the following reads.
    std::function<Bytes(const Bytes& message)> respond = [](const Bytes&) { return Bytes{0x06}; };
    bool failOpen = false;

    std::vector<Bytes> written;
    std::vector<std::string> openedDevices;
    std::vector<std::int32_t> openedBaudRates;
    std::vector<std::size_t> readCounts;
    bool isOpen = false;

    std::error_code Open(const std::string& device, std::int32_t baudRate) override {
        openedDevices.push_back(device);
        openedBaudRates.push_back(baudRate);
        if (failOpen) return std::make_error_code(std::errc::device_or_resource_busy);
        isOpen = true;
        return {};
    }
    void Close() override { isOpen = false; }
    std::error_code Write(std::span<const std::uint8_t> bytes) override {
        written.emplace_back(bytes.begin(), bytes.end());
        const Bytes reply = respond(written.back());
        pending_.insert(pending_.end(), reply.begin(), reply.end());
        return {};
    }
    std::size_t Read(std::span<std::uint8_t> buffer, std::size_t count, int) override {
        readCounts.push_back(count);
        const std::size_t n = std::min({count, pending_.size(), buffer.size()});
        std::copy_n(pending_.begin(), n, buffer.begin());
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
        return n;
    }
    void DiscardInput() override { pending_.clear(); }

  private:
    std::deque<std::uint8_t> pending_;
};

}  // namespace tovrel::testing
