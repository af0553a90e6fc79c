// placeholder until the Win32 adapter lands
#pragma once

#include "link/serial_port.h"

namespace tovrel {

class Win32SerialPort : public SerialPort {
  public:
    std::error_code Open(const std::string& device, std::int32_t baudRate) override;
    void Close() override {}
    std::error_code Write(std::span<const std::uint8_t> bytes) override;
    std::size_t Read(std::span<std::uint8_t> buffer, std::size_t count, int timeoutMs) override;
    void DiscardInput() override {}
    std::error_code SetDtr(bool asserted) override;
    std::error_code SetRts(bool asserted) override;
};

}  // namespace tovrel
