#include "workflow/status_texts.h"

#include <array>
#include <cctype>
#include <charconv>

#include "config/tr.h"

namespace tovrel {

std::string HexText(std::int32_t value) {
    std::array<char, 16> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(),
                                            static_cast<std::uint32_t>(value), 16);
    std::string text(digits.data(), error == std::errc{} ? end : digits.data());
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string ResetStartText(int comport, const std::string& baudText) {
    return "\r\nConfiguration: COM" + std::to_string(comport) + ", " + baudText + " baud";
}

std::string ResetErrorText() {
    // A blank line follows the first two lines and the fifth point.
    return "Error: could not reset the device\r\r\n"
           "Please ensure that...\r\r\n"
           "1. The power supply is connected\r\n"
           "2. All connections are correct\r\n"
           "3. A program is not already running\r\n"
           "4. The correct value for the crystal is selected\r\n"
           "5. PSEN is inserted\r\r\n"
           "See downloading instructions under 'Help-->Index'";
}

std::string BaudrateLine(std::int32_t rate, bool ok) {
    return "Baudrate = " + std::to_string(rate) + (ok ? "... OK" : "... failed");
}

std::string ChecksumLine(const std::string& file, std::int32_t checksum) {
    return "CheckSum of [" + file + "] is " + HexText(checksum) + "hex - " +
           std::to_string(checksum) + " Dec";
}

std::string SettingsNotSavedText(const std::string& file) {
    if (file.empty()) {
        return Tr(
            "The settings were not saved: neither HOME nor XDG_CONFIG_HOME is set, so "
            "there is no folder for Tovrel/Tovrel.conf");
    }
    return Tr("The settings could not be saved to %1", file);
}

std::string ChecksumMismatchLine(std::int32_t expected, const std::string& file,
                                 std::int32_t calculated) {
    return "expected " + HexText(expected) + " hex for [" + file + "] ... calculated " +
           HexText(calculated) + " hex !!";
}

}  // namespace tovrel
