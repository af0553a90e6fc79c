#include "station/board_extras.h"

#include "core/text_file.h"
#include "core/user_texts.h"
#include "image/dataflash_file_check.h"
#include "image/text_fields.h"
#include "station/shell_command.h"

namespace tovrel {
namespace {

constexpr std::chrono::milliseconds kMillisecondsPerSecond{1000};

// How the command ended.
std::string CommandEnd(const Host& host, const CommandOutcome& outcome,
                       std::chrono::milliseconds timeout) {
    if (!outcome.started) return Tr(host, kCommandStartNote, outcome.startProblem);
    if (outcome.timedOut) {
        return Tr(host, kCommandTimeNote, std::to_string(timeout / kMillisecondsPerSecond));
    }
    if (outcome.tooMuch) {
        return Tr(host, kCommandTooMuchNote, std::to_string(kCommandOutputLimit));
    }
    if (outcome.signal != 0) return Tr(host, kCommandSignalNote, std::to_string(outcome.signal));
    return Tr(host, kCommandExitNote, std::to_string(outcome.exitStatus));
}

// The details of a message about the command: what went wrong, then what the command said
// on its standard error.
std::string WithStandardError(const std::string& details, std::string err) {
    while (!err.empty() && (err.back() == '\n' || err.back() == '\r')) err.pop_back();
    return err.empty() ? details : details + "\n" + err;
}

}  // namespace

std::optional<std::vector<std::string>> UnitDataLines(const std::string& output,
                                                      std::int16_t dataSize, std::size_t& badLine) {
    const std::vector<std::string> lines = DataflashLines(TextFile{{}, TextLines(output)});
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const DataflashLine line = ReadDataflashLine(lines[i]);
        if (!line.hasComma || line.address < 0 || line.address > dataSize) {
            badLine = i + 1;
            return std::nullopt;
        }
    }
    return lines;
}

std::optional<std::uint16_t> BoardExtras::SerialAddress() const {
    if (m_plan.serials == nullptr) return std::nullopt;
    return m_plan.serialAt;
}

std::optional<std::uint32_t> BoardExtras::TakeSerial(Host& host) {
    std::string problem;
    const std::optional<std::uint32_t> number = m_plan.serials->Reserve(m_port, problem);
    if (!number) ShowMessage(host, SerialNumbersFailedMessage(problem));
    return number;
}

std::optional<std::vector<std::string>> BoardExtras::UnitData(Host& host, const Board& board) {
    std::vector<std::pair<std::string, std::string>> variables = {{"TOVREL_PORT", m_port},
                                                                  {"TOVREL_DEVICE", board.device}};
    if (board.serial) variables.emplace_back("TOVREL_SERIAL", std::to_string(*board.serial));
    const CommandOutcome outcome =
        RunShellCommand(m_plan.unitData, variables, m_plan.unitDataTimeout,
                        [&host] { return host.StopSignal() != 0; });
    // A stop ends the board as stopped; the command is not what failed.
    if (outcome.stopped) return std::nullopt;
    if (!outcome.Succeeded()) {
        ShowMessage(host, UnitDataFailedMessage(
                              m_plan.unitData,
                              WithStandardError(CommandEnd(host, outcome, m_plan.unitDataTimeout),
                                                outcome.err)));
        return std::nullopt;
    }
    std::size_t badLine = 0;
    std::optional<std::vector<std::string>> lines =
        UnitDataLines(outcome.out, board.dataSize, badLine);
    if (!lines) {
        ShowMessage(host, UnitDataRejectedMessage(m_plan.unitData,
                                                  WithStandardError(Tr(host, kUnitDataLineNote,
                                                                       std::to_string(badLine)),
                                                                    outcome.err)));
    }
    return lines;
}

}  // namespace tovrel
