#include "adapters/win32_serial_port.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

#include "adapters/win32_text.h"
#include "link/baud_rate.h"
#include "link/port_names.h"

namespace tovrel {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kBitsPerCharacter = 10;  // start bit, 8 data bits, stop bit
constexpr DWORD kWriteSlackMs = 1000;
constexpr const wchar_t* kClaimPrefix = L"Local\\tovrel-serial-port:";

std::error_code OpenError(DWORD code) {
    switch (code) {
        case ERROR_ACCESS_DENIED:  // held by another program, or not ours to use
        case ERROR_SHARING_VIOLATION:
            return std::make_error_code(std::errc::device_or_resource_busy);
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return std::make_error_code(std::errc::no_such_device);
        default:
            return std::make_error_code(std::errc::io_error);
    }
}

// 8N1 without flow control at the rate asked, or the standard rate next to it.
bool SetLineFormat(HANDLE handle, std::int32_t baudRate) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb)) return false;
    dcb.BaudRate = static_cast<DWORD>(StandardBaudRate(baudRate));
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    // A framing error or an overrun spoils a reply, not every later read and write.
    dcb.fAbortOnError = FALSE;
    // Both lines asserted, as a Linux tty raises them on open.
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    return SetCommState(handle, &dcb) != FALSE;
}

// Whole milliseconds until deadline, rounded up; 0 once it has passed.
int RemainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

}  // namespace

Win32SerialPort::~Win32SerialPort() { Close(); }

std::error_code Win32SerialPort::Open(const std::string& device, std::int32_t baudRate) {
    Close();
    m_openError.clear();
    m_lineError.clear();
    if (baudRate <= 0) return std::make_error_code(std::errc::invalid_argument);
    // No sharing: while the port is ours nobody else opens it, and we cannot open one in use.
    const std::string path = Win32DevicePath(device);
    HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        m_openError = SystemMessage(code);
        return OpenError(code);
    }
    m_handle = handle;
    if (!Claim(path)) {
        Close();
        m_openError = SystemMessage(ERROR_ACCESS_DENIED);
        return std::make_error_code(std::errc::device_or_resource_busy);
    }
    if (const std::error_code error = Configure(baudRate)) {
        Close();
        return error;
    }
    return {};
}

// Windows refuses a second open of a port by itself, but wine hands the device to every
// opener. A named object per port keeps two runs of this program apart there too, as the lock
// file does on Linux. Names are case-blind, as the ports' names are.
bool Win32SerialPort::Claim(const std::string& path) {
    std::wstring name = Wide(path);
    CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
    std::replace(name.begin(), name.end(), L'\\', L'/');
    HANDLE claim = CreateMutexW(nullptr, FALSE, (kClaimPrefix + name).c_str());
    // Without the object the system's own refusal is all there is.
    if (claim == nullptr) return true;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(claim);
        return false;
    }
    m_claim = claim;
    return true;
}

std::error_code Win32SerialPort::Configure(std::int32_t baudRate) {
    // Long enough for a block to leave the wire, and a second more, as on Linux.
    const std::uint32_t rate = static_cast<std::uint32_t>(baudRate);
    m_writeMsPerByte = (kBitsPerCharacter * 1000 + rate - 1) / rate;
    m_readTimeoutMs = -1;
    if (SetLineFormat(m_handle, baudRate) && SetReadTimeout(0)) return {};
    m_openError = SystemMessage(GetLastError());
    return std::make_error_code(std::errc::invalid_argument);
}

void Win32SerialPort::Close() {
    for (void** handle : {&m_handle, &m_claim}) {
        if (*handle != nullptr) CloseHandle(*handle);
        *handle = nullptr;
    }
}

bool Win32SerialPort::SetReadTimeout(int timeoutMs) {
    if (timeoutMs == m_readTimeoutMs) return true;
    COMMTIMEOUTS timeouts{};
    if (timeoutMs == 0) {
        // Whatever has arrived, at once: all zeros would mean waiting for ever.
        timeouts.ReadIntervalTimeout = MAXDWORD;
    } else {
        // The whole count or the end of the time, however the bytes come.
        timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(timeoutMs);
    }
    timeouts.WriteTotalTimeoutMultiplier = m_writeMsPerByte;
    timeouts.WriteTotalTimeoutConstant = kWriteSlackMs;
    if (!SetCommTimeouts(m_handle, &timeouts)) return false;
    m_readTimeoutMs = timeoutMs;
    return true;
}

std::error_code Win32SerialPort::Write(std::span<const std::uint8_t> bytes) {
    if (m_handle == nullptr) return std::make_error_code(std::errc::bad_file_descriptor);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        DWORD taken = 0;
        if (!WriteFile(m_handle, bytes.data() + sent, static_cast<DWORD>(bytes.size() - sent),
                       &taken, nullptr)) {
            NoteLineError(GetLastError());
            return std::make_error_code(std::errc::io_error);
        }
        // The write time-out ran out with the rest still waiting.
        if (taken == 0) return std::make_error_code(std::errc::timed_out);
        sent += taken;
    }
    return {};
}

std::size_t Win32SerialPort::Read(std::span<std::uint8_t> buffer, std::size_t count,
                                  int timeoutMs) {
    count = std::min(count, buffer.size());
    if (m_handle == nullptr || count == 0) return 0;
    int leftMs = std::max(timeoutMs, 0);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(leftMs);
    std::size_t got = 0;
    // One ReadFile normally does it all; a driver that returns early gets the rest of the time.
    while (got < count) {
        DWORD n = 0;
        if (!SetReadTimeout(leftMs) || !ReadFile(m_handle, buffer.data() + got,
                                                 static_cast<DWORD>(count - got), &n, nullptr)) {
            NoteLineError(GetLastError());
            break;
        }
        got += n;
        if (leftMs == 0 || (leftMs = RemainingMs(deadline)) == 0) break;
    }
    // A line that hung up or whose adapter was pulled reads as silence; its state tells.
    DWORD errors = 0;
    if (got < count && !ClearCommError(m_handle, &errors, nullptr)) NoteLineError(GetLastError());
    return got;
}

void Win32SerialPort::NoteLineError(std::uint32_t code) {
    if (m_lineError.empty() && code != ERROR_SUCCESS) m_lineError = SystemMessage(code);
}

void Win32SerialPort::DiscardInput() {
    if (m_handle != nullptr) PurgeComm(m_handle, PURGE_RXCLEAR);
}

std::size_t Win32SerialPort::InputWaiting() const {
    if (m_handle == nullptr) return 0;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(m_handle, &errors, &status)) return 0;
    return status.cbInQue;
}

std::error_code Win32SerialPort::Escape(std::uint32_t function) {
    if (m_handle == nullptr) return std::make_error_code(std::errc::bad_file_descriptor);
    if (!EscapeCommFunction(m_handle, function)) return Win32Error(GetLastError());
    return {};
}

std::error_code Win32SerialPort::SetDtr(bool asserted) {
    return Escape(asserted ? SETDTR : CLRDTR);
}

std::error_code Win32SerialPort::SetRts(bool asserted) {
    return Escape(asserted ? SETRTS : CLRRTS);
}

}  // namespace tovrel
