#include "adapters/qt_serial_port.h"

#include <QDeadlineTimer>
#include <QSerialPort>
#include <QString>
#include <algorithm>

#include "adapters/tty_control.h"

namespace tovrel {
namespace {

constexpr int kBitsPerCharacter = 10;  // start bit, 8 data bits, stop bit
constexpr int kWriteSlackMs = 1000;

std::error_code OpenError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::PermissionError:  // held by another program, or not ours to use
            return std::make_error_code(std::errc::device_or_resource_busy);
        case QSerialPort::DeviceNotFoundError:
            return std::make_error_code(std::errc::no_such_device);
        default:
            return std::make_error_code(std::errc::io_error);
    }
}

// Long enough for the whole block to leave the wire at the slowest rate in use.
int WriteTimeoutMs(std::size_t byteCount, std::int32_t baudRate) {
    const double wireMs = 1000.0 * kBitsPerCharacter * static_cast<double>(byteCount) /
                          static_cast<double>(std::max(baudRate, 1));
    return kWriteSlackMs + static_cast<int>(std::min(wireMs, 600000.0));
}

// One modem line of the open port. The kernel's own answer where there is one, so the user
// reads the system's reason ("Inappropriate ioctl for device" on a pseudo-terminal).
std::error_code SetLine(QSerialPort& port, ModemLine line, bool asserted) {
    if (!port.isOpen()) return std::make_error_code(std::errc::bad_file_descriptor);
#ifdef Q_OS_UNIX
    return SetModemLine(static_cast<int>(port.handle()), line, asserted);
#else
    const bool set = line == ModemLine::Dtr ? port.setDataTerminalReady(asserted)
                                            : port.setRequestToSend(asserted);
    port.clearError();
    return set ? std::error_code() : std::make_error_code(std::errc::io_error);
#endif
}

}  // namespace

QtSerialPort::QtSerialPort() : m_port(std::make_unique<QSerialPort>()) {}

QtSerialPort::~QtSerialPort() { Close(); }

std::error_code QtSerialPort::Open(const std::string& device, std::int32_t baudRate) {
    Close();
    m_openError.clear();
    m_lineError.clear();
    if (baudRate <= 0) return std::make_error_code(std::errc::invalid_argument);
    m_port->setPortName(QString::fromStdString(device));
    m_port->setBaudRate(baudRate);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    // Opening takes a lock file and TIOCEXCL, so a second program cannot share the line.
    if (!m_port->open(QIODevice::ReadWrite)) {
        // QSerialPort keeps the system's reason only as text.
        m_openError = m_port->errorString().toStdString();
        const std::error_code error = OpenError(m_port->error());
        m_port->clearError();
        return error;
    }
#ifdef Q_OS_UNIX
    const int fd = static_cast<int>(m_port->handle());
    // Some rates survive the portable settings only approximately; insist on the exact one.
    if (!ApplyExactBaudRate(fd, baudRate)) {
        m_port->close();
        return std::make_error_code(std::errc::invalid_argument);
    }
    RequestLowLatency(fd);
#endif
    return {};
}

void QtSerialPort::Close() {
    if (m_port->isOpen()) m_port->close();
}

std::error_code QtSerialPort::Write(std::span<const std::uint8_t> bytes) {
    if (!m_port->isOpen()) return std::make_error_code(std::errc::bad_file_descriptor);
    if (bytes.empty()) return {};
    const qint64 taken = m_port->write(reinterpret_cast<const char*>(bytes.data()),
                                       static_cast<qint64>(bytes.size()));
    if (taken != static_cast<qint64>(bytes.size())) {
        NoteLineError();
        return std::make_error_code(std::errc::io_error);
    }
    QDeadlineTimer deadline(WriteTimeoutMs(bytes.size(), m_port->baudRate()));
    while (m_port->bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!m_port->waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) break;
    }
    NoteLineError();
    return m_port->bytesToWrite() > 0 ? std::make_error_code(std::errc::timed_out)
                                      : std::error_code();
}

std::size_t QtSerialPort::Read(std::span<std::uint8_t> buffer, std::size_t count, int timeoutMs) {
    count = std::min(count, buffer.size());
    if (!m_port->isOpen() || count == 0) return 0;
    const auto wanted = static_cast<qint64>(count);
    QDeadlineTimer deadline(std::max(timeoutMs, 0));
    // Each wait sleeps in the kernel until bytes come or the rest of the time-out is over.
    while (m_port->bytesAvailable() < wanted && !deadline.hasExpired()) {
        if (!m_port->waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
    }
    const qint64 got = m_port->read(reinterpret_cast<char*>(buffer.data()), wanted);
    NoteLineError();
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

void QtSerialPort::NoteLineError() {
    const QSerialPort::SerialPortError error = m_port->error();
    m_port->clearError();
    // A time-out is no fault of the line.
    if (!m_lineError.empty() ||
        (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
         error != QSerialPort::WriteError)) {
        return;
    }
#ifdef Q_OS_UNIX
    // QSerialPort's text may carry the errno of a later call; the descriptor tells the truth.
    if (const std::error_code fault = LineFault(static_cast<int>(m_port->handle()))) {
        m_lineError = fault.message();
    }
#else
    m_lineError = m_port->errorString().toStdString();
#endif
}

void QtSerialPort::DiscardInput() {
    // Empties QSerialPort's own buffer and the driver's (tcflush with TCIFLUSH).
    if (m_port->isOpen()) m_port->clear(QSerialPort::Input);
}

std::size_t QtSerialPort::InputWaiting() const {
    if (!m_port->isOpen()) return 0;
    // What QSerialPort has taken in already, and what still waits in the driver.
    auto waiting = static_cast<std::size_t>(m_port->bytesAvailable());
#ifdef Q_OS_UNIX
    waiting += DriverInputBytes(static_cast<int>(m_port->handle()));
#endif
    return waiting;
}

std::error_code QtSerialPort::SetDtr(bool asserted) {
    return SetLine(*m_port, ModemLine::Dtr, asserted);
}

std::error_code QtSerialPort::SetRts(bool asserted) {
    return SetLine(*m_port, ModemLine::Rts, asserted);
}

}  // namespace tovrel
