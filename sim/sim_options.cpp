#include "sim/sim_options.h"

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <string_view>

namespace tovrel::sim {
namespace {

constexpr std::string_view kCommandLetters = "CABWQVESFU";
constexpr long kMaxMilliseconds = 600000;
constexpr long kMaxCodeSize = 65536;
constexpr long kMaxDataPages = 65536;
constexpr long kMaxCoreClock = 100000000;
constexpr long kMaxCount = 1000000000;
constexpr long kMaxRate = 4000000;

bool ParseNumber(std::string_view text, long low, long high, int base, long& value) {
    const std::string copy(text);
    if (copy.empty() || copy[0] == '-' || copy[0] == '+' || copy[0] == ' ') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(copy.c_str(), &end, base);
    return errno == 0 && *end == '\0' && value >= low && value <= high;
}

bool ParseHexBytes(std::string_view text, Bytes& bytes) {
    if (text.empty() || text.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        long value = 0;
        if (!ParseNumber(text.substr(i, 2), 0, 0xFF, 16, value)) return false;
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return true;
}

bool ParseSelector(std::string_view text, MessageSelector& selector) {
    if (text == "ANY") {
        selector = {MessageSelector::Kind::Any, 0};
    } else if (text == "ID") {
        selector = {MessageSelector::Kind::Reset, 0};
    } else if (text.size() == 1 && kCommandLetters.find(text[0]) != std::string_view::npos) {
        selector = {MessageSelector::Kind::Command, static_cast<std::uint8_t>(text[0])};
    } else {
        return false;
    }
    return true;
}

std::vector<std::string_view> SplitColons(std::string_view text) {
    std::vector<std::string_view> fields;
    for (std::size_t colon; (colon = text.find(':')) != std::string_view::npos;) {
        fields.push_back(text.substr(0, colon));
        text.remove_prefix(colon + 1);
    }
    fields.push_back(text);
    return fields;
}

// SEL:N, or SEL:N:VALUE when the fault carries a value.
bool ParseFault(FaultKind kind, std::string_view text, SimOptions& options) {
    const std::vector<std::string_view> fields = SplitColons(text);
    const bool withValue =
        kind != FaultKind::DropReply && kind != FaultKind::HangUp && kind != FaultKind::ExitAfter;
    FaultRule rule;
    rule.kind = kind;
    if (fields.size() != (withValue ? 3u : 2u) || !ParseSelector(fields[0], rule.selector)) {
        return false;
    }
    if (fields[1] != "*" && !ParseNumber(fields[1], 1, kMaxCount, 10, rule.nth)) return false;
    bool valueOk = true;
    if (kind == FaultKind::ReplyByte) valueOk = ParseNumber(fields[2], 0, 0xFF, 16, rule.value);
    if (kind == FaultKind::DelayReply || kind == FaultKind::NewBoard) {
        valueOk = ParseNumber(fields[2], 0, kMaxMilliseconds, 10, rule.value);
    }
    if (kind == FaultKind::ShortReply)
        valueOk = ParseNumber(fields[2], 0, kMaxCount, 10, rule.value);
    if (kind == FaultKind::StrayBytes) valueOk = ParseHexBytes(fields[2], rule.bytes);
    if (!valueOk) return false;
    options.faults.push_back(std::move(rule));
    return true;
}

bool ParseCorruption(std::string_view text, SimOptions& options) {
    const std::vector<std::string_view> fields = SplitColons(text);
    VerifyCorruption corruption;
    if (fields.size() != 2 || !ParseNumber(fields[0], 0, 0xFF, 10, corruption.page) ||
        !ParseNumber(fields[1], 1, kMaxCount, 10, corruption.reads)) {
        return false;
    }
    options.corruptions.push_back(corruption);
    return true;
}

bool ParseIdText(std::string_view text, SimOptions& options) {
    if (text.size() > kIdTextSize) return false;
    options.idText = std::string(text);
    return true;
}

bool ParseSize(std::string_view text, long low, long high, long multiple, std::size_t& size) {
    long value = 0;
    if (!ParseNumber(text, low, high, 10, value) || value % multiple != 0) return false;
    size = static_cast<std::size_t>(value);
    return true;
}

using ValueHandler = std::function<bool(std::string_view, SimOptions&)>;

struct OptionEntry {
    std::string_view name;
    std::string_view expected;  // what a bad value is told; empty for a flag
    ValueHandler handle;
};

ValueHandler Milliseconds(long SimOptions::*field, long low) {
    return [field, low](std::string_view text, SimOptions& options) {
        return ParseNumber(text, low, kMaxMilliseconds, 10, options.*field);
    };
}

ValueHandler Text(std::string SimOptions::*field) {
    return [field](std::string_view text, SimOptions& options) {
        options.*field = std::string(text);
        return !text.empty();
    };
}

ValueHandler Fault(FaultKind kind) {
    return [kind](std::string_view text, SimOptions& options) {
        return ParseFault(kind, text, options);
    };
}

ValueHandler Flag(bool SimOptions::*field) {
    return [field](std::string_view, SimOptions& options) { return options.*field = true; };
}

const std::vector<OptionEntry>& OptionTable() {
    static const std::vector<OptionEntry> table = {
        {"--help", "", Flag(&SimOptions::showHelp)},
        {"--link", "a path", Text(&SimOptions::linkPath)},
        {"--state", "a file name", Text(&SimOptions::statePath)},
        {"--trace", "a file name", Text(&SimOptions::tracePath)},
        {"--id", "at most 25 characters", ParseIdText},
        {"--fcore", "a clock in Hz from 1 to 100000000",
         [](std::string_view t, SimOptions& o) {
             return ParseNumber(t, 1, kMaxCoreClock, 10, o.coreClock);
         }},
        {"--start-baud", "a rate in baud from 1 to 4000000",
         [](std::string_view t, SimOptions& o) {
             return ParseNumber(t, 1, kMaxRate, 10, o.startRate);
         }},
        {"--code-size", "a multiple of 256 from 256 to 65536",
         [](std::string_view t, SimOptions& o) {
             return ParseSize(t, 256, kMaxCodeSize, 256, o.codeSize);
         }},
        {"--data-pages", "a number of four-byte pages from 1 to 65536",
         [](std::string_view t, SimOptions& o) {
             return ParseSize(t, 1, kMaxDataPages, 1, o.dataPages);
         }},
        {"--realtime", "", Flag(&SimOptions::realtime)},
        {"--erase-ms", "milliseconds", Milliseconds(&SimOptions::eraseMs, 0)},
        {"--page-ms", "milliseconds", Milliseconds(&SimOptions::pageWriteMs, 0)},
        {"--record-ms", "milliseconds", Milliseconds(&SimOptions::recordWriteMs, 0)},
        {"--gap-ms", "milliseconds, at least 1", Milliseconds(&SimOptions::gapTimeoutMs, 1)},
        {"--latency-ms", "milliseconds", Milliseconds(&SimOptions::latencyMs, 0)},
        {"--no-board", "", Flag(&SimOptions::noBoard)},
        {"--new-board-after", "SEL:N:MS", Fault(FaultKind::NewBoard)},
        {"--silent", "", Flag(&SimOptions::silent)},
        {"--reply-byte", "SEL:N:HH", Fault(FaultKind::ReplyByte)},
        {"--drop-reply", "SEL:N", Fault(FaultKind::DropReply)},
        {"--delay-reply", "SEL:N:MS", Fault(FaultKind::DelayReply)},
        {"--short-reply", "SEL:N:COUNT", Fault(FaultKind::ShortReply)},
        {"--stray", "SEL:N:HEXBYTES", Fault(FaultKind::StrayBytes)},
        {"--hangup-after", "SEL:N", Fault(FaultKind::HangUp)},
        {"--exit-after", "SEL:N", Fault(FaultKind::ExitAfter)},
        {"--corrupt-verify", "PAGE:K", ParseCorruption},
    };
    return table;
}

const OptionEntry* FindOption(std::string_view name) {
    for (const OptionEntry& entry : OptionTable()) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

}  // namespace

bool ParseOptions(std::span<const char* const> args, SimOptions& options, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view word = args[i];
        std::string_view value;
        const std::size_t equals = word.find('=');
        const bool inlineValue = equals != std::string_view::npos;
        if (inlineValue) {
            value = word.substr(equals + 1);
            word = word.substr(0, equals);
        }
        const OptionEntry* entry = FindOption(word);
        if (entry == nullptr) {
            error = "unknown option '" + std::string(args[i]) + "' (try --help)";
            return false;
        }
        const bool isFlag = entry->expected.empty();
        if (isFlag && inlineValue) {
            error = "option " + std::string(word) + " takes no value";
            return false;
        }
        if (!isFlag && !inlineValue) {
            if (i + 1 == args.size()) {
                error = "option " + std::string(word) +
                        " needs a value: " + std::string(entry->expected);
                return false;
            }
            value = args[++i];
        }
        if (!entry->handle(value, options)) {
            error = "bad value '" + std::string(value) + "' for " + std::string(word) +
                    ": expected " + std::string(entry->expected);
            return false;
        }
    }
    return true;
}

std::string UsageText() {
    return R"(Usage: pellicon-sim [OPTION]...
Simulates a Pellicon boot loader on a pseudo-terminal. Prints the path of the
terminal end for the host program to open, then serves until killed (SIGTERM,
SIGINT) or until an --exit-after or --hangup-after condition.

Signals: SIGUSR1 power-cycles the device with its download pin held (back in the
boot loader at its start rate); SIGUSR2 power-cycles it without (user code runs,
the loader stays silent). SIGALRM takes the board off the line: nothing answers
and power cycles find no board. SIGURG puts a new board on: code and data flash,
security bits and bootload byte erased, powered up in its boot loader.

Line and device:
  --link PATH          also make a symbolic link PATH to the terminal end
  --state FILE         load the flash from FILE and save it there after every change
  --trace FILE         write every message received and every reply to FILE
  --id TEXT            identification text, at most 25 characters, padded with
                       blanks (default "Kaz 8QA    205")
  --fcore HZ           crystal and core clock (default 11059200): sets the start
                       rate and the rates of the 'B' command
  --start-baud RATE    start at RATE baud instead of the crystal's rate, which is
                       115200 / d with d = 132710400 / HZ, both rounded to the
                       nearest (a half to even), and 9600 for 20 MHz: 9600 for
                       11.0592 MHz, 14400 for 16 MHz
  --code-size BYTES    code flash size, a multiple of 256 (default 63488)
  --data-pages N       data flash size in four-byte pages (default 640); the
                       'E' address is the page number
  --gap-ms MS          drop an unfinished message after MS quiet ms (default 200)
  --latency-ms MS      hold each reply until the next multiple of MS ms since the
                       start, as a USB adapter's latency timer does (default 0:
                       none)

Boards (see also the signals above):
  --no-board           start with no board on the line, until SIGURG
  --new-board-after SEL:N:MS  answer, take the board off, and put a new one on
                       MS milliseconds later (SEL and N as for the faults below)

Wire-time pacing:
  --realtime           every byte takes ten bit times at the current rate, and
                       device work takes the times below (default: answer at once)
  --erase-ms MS        erase time (default 20)
  --page-ms MS         'Q' page write time (default 5)
  --record-ms MS       'W', 'E', 'S', 'F' write time (default 1)

Faults. SEL is a command letter (C A B W Q V E S F U), ID for the reset message,
or ANY for any message; N counts the messages SEL matches from 1, or * for every:
  --silent             never answer
  --reply-byte SEL:N:HH   answer with the hex byte HH instead; a byte other than
                       06 means the command was refused and not carried out
  --drop-reply SEL:N   carry the command out but send no reply
  --delay-reply SEL:N:MS  answer MS milliseconds late
  --short-reply SEL:N:COUNT  send only the first COUNT bytes of the reply
  --stray SEL:N:HEX    send the bytes HEX (e.g. 55AA) before the reply
  --hangup-after SEL:N  answer, then hang up the terminal and end
  --exit-after SEL:N   answer, then end
  --corrupt-verify PAGE:K  spoil the first K verify reads of code page PAGE
  --help               show this text
)";
}

}  // namespace tovrel::sim
