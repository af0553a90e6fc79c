// placeholder until the Win32 adapter lands
#include "adapters/win32_serial_port.h"

namespace tovrel {
namespace {

std::error_code NotYet() { return std::make_error_code(std::errc::function_not_supported); }

}  // namespace

std::error_code Win32SerialPort::Open(const std::string&, std::int32_t) { return NotYet(); }
std::error_code Win32SerialPort::Write(std::span<const std::uint8_t>) { return NotYet(); }
std::size_t Win32SerialPort::Read(std::span<std::uint8_t>, std::size_t, int) { return 0; }
std::error_code Win32SerialPort::SetDtr(bool) { return NotYet(); }
std::error_code Win32SerialPort::SetRts(bool) { return NotYet(); }

}  // namespace tovrel
