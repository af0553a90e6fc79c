#pragma once

#include <memory>

#include "link/serial_port.h"

class QSerialPort;

namespace tovrel {

// The serial line over QSerialPort. Needs a QCoreApplication in the calling thread, as every
// Qt device does; no event loop has to run, since reads and writes wait for themselves.
class QtSerialPort : public SerialPort {
  public:
    QtSerialPort();
    ~QtSerialPort() override;
    QtSerialPort(const QtSerialPort&) = delete;
    QtSerialPort& operator=(const QtSerialPort&) = delete;

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
    // Keeps the reason once the line itself failed under a read or a write.
    void NoteLineError();

    std::unique_ptr<QSerialPort> m_port;
    std::string m_openError;
    std::string m_lineError;
};

}  // namespace tovrel
