#pragma once

#include <cstdint>
#include <string>

#include "link/serial_port.h"

namespace tovrel {

// The serial line over the Win32 communications API. "COM12" opens \\.\COM12; any other
// device name is opened as it is given. The open is exclusive: a port another program holds
// answers device_or_resource_busy, a port that does not exist no_such_device.
class Win32SerialPort : public SerialPort {
  public:
    Win32SerialPort() = default;
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    std::error_code Open(const std::string& device, std::int32_t baudRate) override;
    std::string OpenErrorText() const override { return m_openError; }
    void Close() override;
    std::error_code Write(std::span<const std::uint8_t> bytes) override;
    std::size_t Read(std::span<std::uint8_t> buffer, std::size_t count, int timeoutMs) override;
    void DiscardInput() override;
    std::size_t InputWaiting() const override;
    std::string LineError() const override { return m_lineError; }
    std::error_code SetDtr(bool asserted) override;
    std::error_code SetRts(bool asserted) override;

  private:
    // Takes this program's own claim on the port; false when another open holds it.
    bool Claim(const std::string& path);
    std::error_code Configure(std::int32_t baudRate);
    // Makes the next ReadFile wait at most timeoutMs for its whole count.
    bool SetReadTimeout(int timeoutMs);
    // Keeps the reason once the line itself failed under a read or a write.
    void NoteLineError(std::uint32_t code);
    std::error_code Escape(std::uint32_t function);

    void* m_handle = nullptr;  // the HANDLE of the open port
    void* m_claim = nullptr;   // the HANDLE of the named object that claims it
    int m_readTimeoutMs = -1;  // what the driver waits now; -1 before the first read
    std::uint32_t m_writeMsPerByte = 0;
    std::string m_openError;
    std::string m_lineError;
};

}  // namespace tovrel
