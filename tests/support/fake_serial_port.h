#pragma once

#include <algorithm>
#include <charconv>
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
    std::error_code openError = std::make_error_code(std::errc::device_or_resource_busy);
    std::string openNote;  // what every open found worth a note

    std::vector<Bytes> written;
    std::vector<std::string> openedDevices;
    std::vector<std::int32_t> openedBaudRates;
    std::vector<std::size_t> readCounts;
    bool isOpen = false;
    // The modem-line steps in order ("R1", "D0", "W0.05"); lineError fails every line setter.
    std::vector<std::string> lineSteps;
    std::error_code lineError;

    std::error_code Open(const std::string& device, std::int32_t baudRate) override {
        openedDevices.push_back(device);
        openedBaudRates.push_back(baudRate);
        if (failOpen) return openError;
        isOpen = true;
        return {};
    }
    std::string OpenNote() const override { return openNote; }
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
    std::error_code SetDtr(bool on) override { return SetLine('D', on); }
    std::error_code SetRts(bool on) override { return SetLine('R', on); }
    void Sleep(double seconds, const std::function<bool()>&) override {
        char text[32];
        lineSteps.push_back("W" + std::string(text, std::to_chars(text, text + 32, seconds).ptr));
    }

  private:
    std::error_code SetLine(char line, bool on) {
        if (!isOpen) return std::make_error_code(std::errc::bad_file_descriptor);
        if (lineError) return lineError;
        lineSteps.push_back(std::string{line, on ? '1' : '0'});
        return {};
    }
    std::deque<std::uint8_t> pending_;
};

}  // namespace tovrel::testing
