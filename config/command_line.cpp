#include "config/command_line.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <string_view>

#include "core/numbers.h"

namespace tovrel {
namespace {

constexpr int kFirstSwitchPort = 1;
constexpr int kLastSwitchPort = 31;
constexpr std::size_t kValueStart = 3;  // after "/C:", "/R:" and their kind
constexpr std::size_t kFirstSwitchWord = 1;
constexpr std::size_t kDataFileWord = 1;

// Security switch values.
constexpr int kSecurityLock = 0;
constexpr int kSecuritySecure = 1;
constexpr int kSecuritySerialSafe = 2;
constexpr int kSecurityAll = 3;

std::string UpperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsUpperOrDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'Z'); }

// Whole-word match of an upper-cased word: '#' stands for a digit, '@' for an upper-case
// letter or a digit, a final '*' for any run of characters; anything else for itself.
bool Matches(std::string_view word, std::string_view pattern) {
    std::size_t i = 0;
    for (; i < pattern.size(); ++i) {
        if (pattern[i] == '*' && i + 1 == pattern.size()) return true;
        if (i >= word.size()) return false;
        const char c = word[i];
        const bool ok = pattern[i] == '#'   ? IsDigit(c)
                        : pattern[i] == '@' ? IsUpperOrDigit(c)
                                            : c == pattern[i];
        if (!ok) return false;
    }
    return i == word.size();
}

int DigitsValue(std::string_view digits) {
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

// The port after one upper-cased word of the /C pass: n for "/C:n" or "/C:nn" with n from 1
// to 31, else the port as it was.
std::int16_t PortAfter(const std::string& word, std::int16_t port) {
    if (!Matches(word, "/C:#") && !Matches(word, "/C:##")) return port;
    const int n = DigitsValue(std::string_view(word).substr(kValueStart));
    return n >= kFirstSwitchPort && n <= kLastSwitchPort ? static_cast<std::int16_t>(n) : port;
}

// The words of one run, and one scan over them per kind of switch.
class CommandLine {
  public:
    CommandLine(ConfigurationPanel& panel, Settings& settings,
                const std::vector<std::string>& words)
        : m_panel(panel), m_settings(settings), m_words(words) {
        for (const std::string& word : words) m_upper.push_back(UpperCase(word));
    }

    void ApplySwitches();

  private:
    void ForEach(std::initializer_list<std::string_view> patterns,
                 const std::function<void(const std::string&)>& apply) {
        for (std::size_t i = kFirstSwitchWord; i < m_upper.size(); ++i) {
            for (std::string_view pattern : patterns) {
                if (Matches(m_upper[i], pattern)) {
                    apply(m_upper[i]);
                    break;
                }
            }
        }
    }
    void ApplySecurity(int value);
    void ApplyDownloadMode(int mode);
    void ApplyCrystal(const std::string& word);

    ConfigurationPanel& m_panel;
    Settings& m_settings;
    const std::vector<std::string>& m_words;
    std::vector<std::string> m_upper;
};

void CommandLine::ApplySwitches() {
    ConfigurationPanel& p = m_panel;
    ForEach({"/D"}, [&](const std::string&) { p.Select(Option::EraseCodeButton, kEraseCodeOnly); });
    ForEach({"/B"}, [&](const std::string&) {
        m_settings.BootloadOption = true;
        p.BootloadOptionButton.enabled = true;
        p.SetChecked(Check::BootloadOptionButton, true);
    });
    ForEach({"/R"}, [&](const std::string&) { p.SetChecked(Check::RunAfterDownloadButton, true); });
    ForEach({"/V"},
            [&](const std::string&) { p.SetChecked(Check::VerifyAfterDownloadButton, true); });
    ForEach({"/R:@@@@"}, [&](const std::string& word) {
        p.SetText(p.RunAddressTextbox, word.substr(kValueStart));
        p.Select(Option::RunAddressButton, kRunFromAddress);
        p.SetChecked(Check::RunAfterDownloadButton, true);
    });
    ForEach({"/C:#", "/C:##"}, [&](const std::string& word) {
        m_settings.Comport = PortAfter(word, m_settings.Comport);
        p.SelectPort(m_settings.Comport - 1);
    });
    ForEach({"/T:#"}, [&](const std::string& word) {
        m_settings.BatchPauseSeconds =
            static_cast<std::int16_t>(DigitsValue(word.substr(kValueStart)));
    });
    ForEach({"/S:#"},
            [&](const std::string& word) { ApplySecurity(DigitsValue(word.substr(kValueStart))); });
    ForEach({"/M:#"}, [&](const std::string& word) {
        ApplyDownloadMode(DigitsValue(word.substr(kValueStart)));
    });
    ForEach({"/X:*"}, [&](const std::string& word) { ApplyCrystal(word); });
    // In bootload mode the loader enters the user code at E000. The panel shows that address
    // as soon as its box is checked but takes it over only at its next copy; a run that sets
    // the mode starts the code there in the same run, whatever run address it also names. The
    // address the line names is kept for a device that turns out to have no bootload mode.
    if (p.BootloadOptionButton.checked) {
        m_settings.CmdRunAddress =
            p.RunAddressButton.selected == kRunFromAddress
                ? static_cast<std::int32_t>(LeadingHex(p.RunAddressTextbox.text))
                : 0;
        p.SetText(p.RunAddressTextbox, kBootloadRunAddress);
        p.Select(Option::RunAddressButton, kRunFromAddress);
    }
}

void CommandLine::ApplySecurity(int value) {
    if (value == kSecurityLock || value == kSecurityAll) {
        m_panel.SetChecked(Check::LockModeButton, true);
    }
    if (value == kSecuritySecure || value == kSecurityAll) {
        m_panel.SetChecked(Check::SecureModeButton, true);
    }
    if (value == kSecuritySerialSafe || value == kSecurityAll) {
        m_panel.SetChecked(Check::SerialSafeModeButton, true);
    }
}

void CommandLine::ApplyDownloadMode(int mode) {
    // The panel offers three modes only; other digits are ignored.
    if (mode > kDownloadDataOnly) return;
    m_panel.Select(Option::DownloadCodeButton, mode);
    // The modes that download data take the data file from the word after the hex file.
    if (mode != kDownloadCodeOnly) m_settings.CmdDataFileName = m_words[kDataFileWord];
}

void CommandLine::ApplyCrystal(const std::string& word) {
    m_panel.Select(Option::XtalButton, kOtherCrystal);
    const std::size_t first = word.find(':');
    const std::size_t second = word.find(':', first + 1);
    const std::size_t length = second == std::string::npos ? std::string::npos : second - first - 1;
    m_panel.SetText(m_panel.FrequencyTextbox, word.substr(first + 1, length));
}

// Every pattern ApplySwitches looks for.
constexpr std::string_view kSwitchPatterns[] = {"/D",    "/B",   "/R",   "/V",   "/R:@@@@", "/C:#",
                                                "/C:##", "/T:#", "/S:#", "/M:#", "/X:*"};

}  // namespace

bool IsClassicSwitch(const std::string& word) {
    const std::string upper = UpperCase(word);
    return std::any_of(std::begin(kSwitchPatterns), std::end(kSwitchPatterns),
                       [&upper](std::string_view pattern) { return Matches(upper, pattern); });
}

std::int16_t CommandLineComport(const std::vector<std::string>& words, std::int16_t comport) {
    for (std::size_t i = kFirstSwitchWord; i < words.size(); ++i) {
        comport = PortAfter(UpperCase(words[i]), comport);
    }
    return comport;
}

void SetInputArgs(ConfigurationPanel& panel, Settings& settings,
                  const std::vector<std::string>& words) {
    settings.BatchPauseSeconds = 0;
    settings.CmdRunAddress.reset();
    CommandLine(panel, settings, words).ApplySwitches();
    settings.CmdHexFileName = words.empty() ? std::string() : words.front();
    panel.UpdateConfigurationData();
}

}  // namespace tovrel
