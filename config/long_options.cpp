#include "config/long_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <functional>
#include <limits>
#include <map>
#include <set>

#include "config/command_line.h"
#include "core/settings.h"
#include "core/user_texts.h"
#include "link/serial_ports.h"

namespace tovrel {
namespace {

constexpr std::string_view kOptionStart = "--";
constexpr std::string_view kComPrefix = "COM";
constexpr char kPortSeparator = ',';
constexpr char kPathStart = '/';

struct Problem {
    const char* text = nullptr;
    std::string argument;
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

template <typename Number>
std::optional<Number> WholeNumber(const std::string& text, Number least, Number most) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || at != end || value < least || value > most) {
        return std::nullopt;
    }
    return value;
}

// "YYYY-MM-DD", a day of the calendar.
bool IsDay(const std::string& text) {
    constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    const std::optional<int> year = WholeNumber(text.substr(0, 4), 0, 9999);
    const std::optional<int> month = WholeNumber(text.substr(5, 2), 1, 12);
    const std::optional<int> day = WholeNumber(text.substr(8, 2), 1, 31);
    if (!year || !month || !day || *day > kDays[*month - 1]) return false;
    const bool leap = (*year % 4 == 0 && *year % 100 != 0) || *year % 400 == 0;
    return *month != 2 || *day <= 28 || leap;
}

bool EndsWith(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() && Lower(text.substr(text.size() - tail.size())) == tail;
}

// Reads one option's value into the options; a problem names what is wrong with it.
class OptionReader {
  public:
    explicit OptionReader(LongOptions& options) : m_options(options) {}

    // The options that take a value, and what each does with it.
    std::optional<Problem> Take(const std::string& name, const std::string& value) {
        LongOptions& o = m_options;
        if (name == "--ports") return Ports(value);
        if (name == "--count") {
            o.count = WholeNumber<long>(value, 1, std::numeric_limits<long>::max());
            o.loop = true;
            return o.count ? std::nullopt : std::optional<Problem>({kBadCountError, value});
        }
        if (name == "--serial") {
            o.serialFirst = WholeNumber<std::uint32_t>(value, 0, UINT32_MAX);
            return o.serialFirst ? std::nullopt : std::optional<Problem>({kBadSerialError, value});
        }
        if (name == "--serial-at") {
            o.serialAt = WholeNumber<std::uint16_t>(value, 0, UINT16_MAX);
            return o.serialAt ? std::nullopt : std::optional<Problem>({kBadSerialAtError, value});
        }
        if (name == "--history") {
            o.history = WholeNumber<std::uint32_t>(value, 0, UINT32_MAX);
            return o.history ? std::nullopt : std::optional<Problem>({kBadHistoryError, value});
        }
        if (name == "--since" && !IsDay(value)) return Problem{kBadSinceError, value};
        if (name == "--before") return Sequence(value, o.before, kBadBeforeStepError);
        if (name == "--after") return Sequence(value, o.after, kBadAfterStepError);
        if (name == "--read" && !EndsWith(value, ".hex") && !EndsWith(value, ".bin")) {
            return Problem{kBadReadFileError, value};
        }
        const std::map<std::string, std::string*> texts = {
            {"--serial-file", &o.serialFile}, {"--unit-data", &o.unitData}, {"--log", &o.logFile},
            {"--read", &o.readFile},          {"--trace", &o.traceFile},    {"--db", &o.database},
            {"--station", &o.station},        {"--since", &o.since}};
        *texts.at(name) = value;
        return std::nullopt;
    }

  private:
    std::optional<Problem> Ports(const std::string& list) {
        std::set<std::string> seen;
        std::size_t start = 0;
        while (start <= list.size()) {
            const std::size_t end = std::min(list.find(kPortSeparator, start), list.size());
            const std::string port = list.substr(start, end - start);
            const bool usb = IsUsbSerialName(port);
            if (ComportOfName(port) == 0 && !usb && (port.empty() || port.front() != kPathStart)) {
                return Problem{kBadPortError, port};
            }
            // COM3 and com3 are the same port, and so are usb:X and USB:X; X is as given.
            const std::string key = port.front() == kPathStart ? port
                                    : usb                      ? kUsbPortPrefix + UsbSerialOf(port)
                                                               : Lower(port);
            if (!seen.insert(key).second) return Problem{kRepeatedPortError, port};
            m_options.ports.push_back(port);
            start = end + 1;
        }
        return std::nullopt;
    }

    static std::optional<Problem> Sequence(const std::string& text,
                                           std::optional<LineSequence>& sequence,
                                           const char* error) {
        std::string badStep;
        sequence = ParseLineSequence(text, badStep);
        return sequence ? std::nullopt : std::optional<Problem>({error, badStep});
    }

    LongOptions& m_options;
};

const std::set<std::string> kFlags = {"--loop", "--json", "--report", "--list-ports"};
const std::set<std::string> kValued = {"--ports",       "--count",     "--serial", "--serial-at",
                                       "--serial-file", "--unit-data", "--log",    "--before",
                                       "--after",       "--read",      "--trace",  "--db",
                                       "--station",     "--since",     "--history"};

bool IsComportSwitch(const std::string& word) {
    const std::string upper = Lower(word);
    return upper.rfind("/c:", 0) == 0;
}

// The first option given that a question to the production record cannot be asked with.
std::string OptionBesideQuery(const LongOptions& o) {
    const std::pair<bool, const char*> options[] = {{o.report && o.history, "--history"},
                                                    {!o.ports.empty(), "--ports"},
                                                    {o.loop, o.count ? "--count" : "--loop"},
                                                    {o.serialFirst.has_value(), "--serial"},
                                                    {o.serialAt.has_value(), "--serial-at"},
                                                    {!o.serialFile.empty(), "--serial-file"},
                                                    {!o.unitData.empty(), "--unit-data"},
                                                    {!o.logFile.empty(), "--log"},
                                                    {o.before.has_value(), "--before"},
                                                    {o.after.has_value(), "--after"},
                                                    {!o.readFile.empty(), "--read"},
                                                    {!o.traceFile.empty(), "--trace"},
                                                    {o.history && !o.station.empty(), "--station"}};
    for (const auto& [given, name] : options) {
        if (given) return name;
    }
    return {};
}

// --report and --history read the record and download nothing.
std::optional<Problem> CheckQuery(const ParsedCommandLine& line) {
    const LongOptions& o = line.options;
    const char* name = o.report ? "--report" : "--history";
    if (const std::string beside = OptionBesideQuery(o); !beside.empty()) {
        return Problem{o.report ? kReportWithOptionError : kHistoryWithOptionError, beside};
    }
    if (!line.classicWords.empty()) {
        return Problem{o.report ? kReportWithFileError : kHistoryWithFileError,
                       line.classicWords.front()};
    }
    if (o.database.empty()) return Problem{kNeedsDatabaseError, name};
    return std::nullopt;
}

// Two ports whose own files (--read, --trace) would have one name: their names end alike.
std::optional<Problem> PerPortFileClash(const LongOptions& o) {
    for (const std::string& file : {o.readFile, o.traceFile}) {
        if (file.empty()) continue;
        std::set<std::string> names;
        for (const std::string& port : o.ports) {
            const std::string name = PerPortFileName(file, port);
            if (!names.insert(name).second) return Problem{kPerPortFileClashError, name};
        }
    }
    return std::nullopt;
}

// The rules between options, once every word has been read.
std::optional<Problem> CheckCombinations(const ParsedCommandLine& line) {
    const LongOptions& o = line.options;
    const std::vector<std::string>& words = line.classicWords;
    if (o.Query()) return CheckQuery(line);
    if (!o.since.empty()) return Problem{kSinceWithoutReportError, ""};
    if (!o.station.empty() && o.database.empty()) return Problem{kNeedsDatabaseError, "--station"};
    if (!o.serialFile.empty() && !o.database.empty()) {
        return Problem{kSerialFileWithDatabaseError, ""};
    }
    if (o.Bench()) {
        // Word 0 is the download file, never a switch; a read-back has no download file.
        for (std::size_t i = o.readFile.empty() ? 1 : 0; i < words.size(); ++i) {
            if (IsComportSwitch(words[i])) return Problem{kPortsWithSwitchError, words[i]};
        }
    }
    if (o.serialFirst && !o.serialAt) return Problem{kSerialWithoutAddressError, ""};
    if (!o.serialFirst && o.serialAt) return Problem{kAddressWithoutSerialError, "--serial-at"};
    if (!o.serialFirst && !o.serialFile.empty()) {
        return Problem{kAddressWithoutSerialError, "--serial-file"};
    }
    if (o.Bench()) {
        if (std::optional<Problem> clash = PerPortFileClash(o)) return clash;
    }
    if (!o.readFile.empty()) {
        // A read-back has switches only: a download file is refused wherever it lies.
        for (const std::string& word : words) {
            if (!IsClassicSwitch(word)) return Problem{kReadWithFileError, word};
        }
        if (o.loop) return Problem{kReadWithBenchError, "--loop"};
        if (o.serialFirst) return Problem{kReadWithBenchError, "--serial"};
        if (!o.unitData.empty()) return Problem{kReadWithBenchError, "--unit-data"};
        // The production log, the database and JSON report downloads; a read-back writes none.
        if (!o.logFile.empty()) return Problem{kReadWithBenchError, "--log"};
        if (!o.database.empty()) return Problem{kReadWithBenchError, "--db"};
        if (o.json) return Problem{kReadWithBenchError, "--json"};
    } else if (o.Any() && words.empty()) {
        return Problem{kNoDownloadFileError, ""};
    }
    return std::nullopt;
}

}  // namespace

bool LongOptions::Any() const {
    return !ports.empty() || loop || count || serialFirst || serialAt || !serialFile.empty() ||
           !unitData.empty() || !logFile.empty() || json || before || after || !readFile.empty() ||
           !traceFile.empty() || !database.empty() || !station.empty() || report || history ||
           !since.empty() || listPorts;
}

void ResolveUsbPorts(ParsedCommandLine& line, const std::vector<DetectedPort>& found) {
    for (const std::string& port : line.options.ports) {
        if (!IsUsbSerialName(port)) continue;
        const std::vector<DetectedPort> adapters = WithSerialNumber(found, UsbSerialOf(port));
        if (adapters.size() != 1) {
            line.errorText = adapters.empty() ? kUsbPortMissingError : kUsbPortTwiceError;
            line.errorArgument = UsbSerialOf(port);
            return;
        }
        line.options.usbPaths[port] = adapters.front().PathToKeep();
    }
}

int ComportOfName(const std::string& name) {
    std::string prefix = name.substr(0, std::min(name.size(), kComPrefix.size()));
    for (char& c : prefix) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (prefix != kComPrefix) return 0;
    const std::string digits = name.substr(kComPrefix.size());
    if (digits.empty() || digits.front() == '0') return 0;
    return WholeNumber<int>(digits, kFirstComport, kLastComport).value_or(0);
}

std::string PerPortFileName(const std::string& file, const std::string& port) {
    const std::string name = port.substr(port.find_last_of(kPathStart) + 1);
    const std::size_t folderEnd = file.find_last_of('/');
    const std::size_t dot = file.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (folderEnd == std::string::npos || dot > folderEnd);
    if (!hasExtension) return file + "-" + name;
    return file.substr(0, dot) + "-" + name + file.substr(dot);
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& words) {
    ParsedCommandLine line;
    OptionReader reader(line.options);
    std::set<std::string> given;
    const auto fail = [&line](const Problem& problem) {
        line.errorText = problem.text;
        line.errorArgument = problem.argument;
        return line;
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word.rfind(kOptionStart, 0) != 0) {
            line.classicWords.push_back(word);
            continue;
        }
        if (word == kOptionStart) {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        if (!kFlags.count(name) && !kValued.count(name)) return fail({kUnknownOptionError, name});
        if (!given.insert(name).second) return fail({kRepeatedOptionError, name});
        if (kFlags.count(name)) {
            if (equals != std::string::npos) return fail({kUnknownOptionError, word});
            (name == "--loop"     ? line.options.loop
             : name == "--json"   ? line.options.json
             : name == "--report" ? line.options.report
                                  : line.options.listPorts) = true;
            continue;
        }
        const bool hasValue = equals != std::string::npos || i + 1 < words.size();
        const std::string value = equals != std::string::npos ? word.substr(equals + 1)
                                  : hasValue                  ? words[++i]
                                                              : std::string();
        // An empty sequence is a sequence: it leaves the lines alone, whatever is stored.
        const bool emptyAllowed = name == "--before" || name == "--after";
        if (!hasValue || (value.empty() && !emptyAllowed)) return fail({kMissingValueError, name});
        if (const std::optional<Problem> problem = reader.Take(name, value)) return fail(*problem);
    }
    // The listing goes with --json only: it opens no port and downloads nothing.
    if (line.options.listPorts) {
        for (const std::string& name : given) {
            if (name != "--list-ports" && name != "--json") {
                return fail({kListPortsAloneError, name});
            }
        }
        if (!line.classicWords.empty()) return fail({kListPortsAloneError, line.classicWords[0]});
        return line;
    }
    if (const std::optional<Problem> problem = CheckCombinations(line)) return fail(*problem);
    // "--" promises a file after it.
    if (optionsEnded && line.classicWords.empty()) return fail({kNoDownloadFileError, ""});
    return line;
}

}  // namespace tovrel
