#include "link/reset.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "core/user_texts.h"
#include "link/device_profile.h"

namespace tovrel {
namespace {

constexpr std::size_t kIdReplyCount = 25;
constexpr std::size_t kIdLength = 14;
constexpr std::size_t kPartNameLength = 7;
constexpr std::string_view kFamilyPrefix = "Kaz 8";
constexpr std::size_t kModelPosition = 5;  // characters 6 and 7, counted from 0
constexpr std::size_t kModelLength = 2;
constexpr std::size_t kMajorPosition = 11;
constexpr std::size_t kMinorPosition = 12;
constexpr std::size_t kMinorLength = 2;

#ifdef _WIN32
constexpr const char* kProfileFolder = "\\Configuration\\Zerk8";
#else
constexpr const char* kProfileFolder = "/Configuration/Zerk8";
#endif
constexpr const char* kInstalledDataFolder = "/../share/tovrel";
constexpr const char* kProfileExtension = ".txt";

// The identification bytes are characters of a single-byte code page (Latin-1 here); the
// text keeps them as UTF-8 so that every later use shows them as they are.
std::string Latin1ToUtf8(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        if (b < 0x80) {
            text += static_cast<char>(b);
        } else {
            text += static_cast<char>(0xC0 | (b >> 6));
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return text;
}

// The characters of a UTF-8 text, one string each.
std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        while (i + length < text.size() &&
               (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80) {
            ++length;
        }
        out.push_back(text.substr(i, length));
        i += length;
    }
    return out;
}

std::string Middle(const std::string& text, std::size_t first, std::size_t count) {
    const std::vector<std::string> characters = Characters(text);
    std::string out;
    for (std::size_t i = first; i < first + count && i < characters.size(); ++i)
        out += characters[i];
    return out;
}

// Beside the program first; an installed program keeps its profiles in its data folder.
std::string ProfilePath(const std::string& programFolder, const std::string& model) {
    const std::string name = kProfileFolder + model + kProfileExtension;
    const std::string beside = programFolder + name;
    std::error_code error;
    if (std::filesystem::exists(beside, error)) return beside;
#ifndef _WIN32
    const std::filesystem::path installed =
        std::filesystem::path(programFolder + kInstalledDataFolder + name).lexically_normal();
    if (std::filesystem::exists(installed, error)) return installed.string();
#endif
    return beside;
}

}  // namespace

Presence BoardPresence(Link& link, bool quiet) {
    // Withheld after a stop, like every message; the port is fine then.
    if (link.host.StopSignal() != 0) return Presence::Silent;
    // As before every reset message: a board held in reset by the lines never answers.
    const bool linesSet = quiet ? !RunLineSequence(link.port, link.lines.before,
                                                   [&link] { return link.host.StopSignal() != 0; })
                                : SetModemLines(link, link.lines.before);
    if (!linesSet) return Presence::LinesFailed;
    link.port.DiscardInput();
    if (link.port.Write(kResetMessage)) return Presence::PortFailed;
    const std::size_t count = ReadReply(link, kIdReplyCount);
    const std::string_view answer(reinterpret_cast<const char*>(link.settings.RxBuffer.data()),
                                  count);
    return answer.starts_with(kFamilyPrefix) ? Presence::Answered : Presence::Silent;
}

bool Reset(Link& link) {
    Settings& s = link.settings;
    // A board whose reset and PSEN hang on the modem lines enters its boot loader only now;
    // without that the reset message would reach the running code, so it is not sent.
    if (!SetModemLines(link, link.lines.before)) return false;
    if (!WriteMessage(link, kResetMessage) || ReadReply(link, kIdReplyCount) == 0) return false;
    // Always fourteen characters: a short reply leaves older bytes of RxBuffer in the tail.
    s.IdString = Latin1ToUtf8(s.RxBuffer.data(), kIdLength);
    s.PartName = Middle(s.IdString, 0, kPartNameLength);
    if (!s.PartName.starts_with(kFamilyPrefix)) return false;
    const std::string model = Middle(s.PartName, kModelPosition, kModelLength);
    return LoadDeviceProfile(link, ProfilePath(link.host.ProgramFolder(), model));
}

std::string IdentificationDisplay(const Settings& settings) {
    return DeviceText(Middle(settings.PartName, kModelPosition, kModelLength),
                      Middle(settings.IdString, kMajorPosition, 1),
                      Middle(settings.IdString, kMinorPosition, kMinorLength));
}

}  // namespace tovrel
