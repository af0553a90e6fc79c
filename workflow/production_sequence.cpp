// The bench's steps in the download: a serial number and unit data for each board.
#include "core/bytes.h"
#include "core/numbers.h"
#include "flash/download.h"
#include "flash/frames.h"
#include "image/dataflash_file_check.h"
#include "image/text_fields.h"
#include "workflow/tovrel_form.h"

namespace tovrel {
namespace {

// The number goes out as four bytes, most significant first, in one data-flash line.
std::array<std::uint8_t, kDataflashBytesPerLine> SerialBytes(std::uint32_t number) {
    return {static_cast<std::uint8_t>(number >> (3 * kByteBits)),
            static_cast<std::uint8_t>(number >> (2 * kByteBits)),
            static_cast<std::uint8_t>(number >> kByteBits), static_cast<std::uint8_t>(number)};
}

// The number (from 1) of the first line that writes the data-flash address; none when no line
// does. A line whose address no frame can carry writes nothing.
std::optional<std::size_t> LineWriting(const std::vector<std::string>& lines,
                                       std::uint16_t address) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const DataflashLine line = ReadDataflashLine(lines[i]);
        if (line.hasComma && RoundHalfEven(line.address) == address) return i + 1;
    }
    return std::nullopt;
}

}  // namespace

// The board's own data, made and checked before anything is erased, so that a board whose data
// cannot go on it is left as it came: the serial number's address, then the unit data. With
// serial numbers the command is told its number, so the number is taken first.
bool TovrelForm::PrepareBoardStep() {
    if (m_production == nullptr) return true;
    const std::optional<std::uint16_t> address = m_production->SerialAddress();
    if (address && *address > m_settings.DataSize) {
        EnterStep(BoardStep::Serial);
        Warn(SerialAddressBeyondDataMessage(*address));
        StepFailed(BoardStep::Serial);
        return false;
    }
    if (!m_production->HasUnitData()) return true;
    if (address && !TakeSerialNumber()) return false;
    EnterStep(BoardStep::UnitData);
    m_unitData =
        m_production->UnitData(m_host, {m_report.device, m_report.serial, m_settings.DataSize});
    if (!m_unitData) {
        if (!Stopped()) StepFailed(BoardStep::UnitData);
        return false;
    }
    const std::optional<std::size_t> line =
        address ? LineWriting(*m_unitData, *address) : std::nullopt;
    if (!line) return true;
    EnterStep(BoardStep::Serial);
    Warn(SerialAddressTakenMessage(*address, m_production->UnitDataSource(), *line));
    StepFailed(BoardStep::Serial);
    return false;
}

// Once the data file is read, before the erase: it writes nothing at the number's address.
// Both frames would land on one place, which would then hold neither.
void TovrelForm::SerialAddressStep() {
    if (m_production == nullptr || !m_settings.OperationOK || !m_dataFile) return;
    const std::optional<std::uint16_t> address = m_production->SerialAddress();
    if (!address) return;
    const std::optional<std::size_t> line = LineWriting(DataflashLines(*m_dataFile), *address);
    if (!line) return;
    EnterStep(BoardStep::Serial);
    Warn(SerialAddressTakenMessage(*address, m_settings.DataFileName, *line));
    m_settings.OperationOK = false;
    StepFailed(BoardStep::Serial);
}

bool TovrelForm::TakeSerialNumber() {
    EnterStep(BoardStep::Serial);
    m_report.serial = m_production->TakeSerial(m_host);
    if (m_report.serial) return true;
    StepFailed(BoardStep::Serial);
    return false;
}

void TovrelForm::SerialNumberStep() {
    if (m_production == nullptr || !m_production->SerialAddress() || !m_settings.OperationOK) {
        return;
    }
    // Taken only now, unless the unit data needed it: a board that failed before this step
    // used no number.
    if (!m_report.serial && !TakeSerialNumber()) {
        m_settings.OperationOK = false;
        return;
    }
    EnterStep(BoardStep::Serial);
    Append(SerialNumberText(*m_report.serial));
    // Once the frame has gone out the number may be on the board, whatever its answer: the
    // report says so, and the number is spent. Only a frame withheld after a stop left nothing.
    m_report.serialSent = WriteMessage(
        m_link, BuildDataWriteFrame(*m_production->SerialAddress(), SerialBytes(*m_report.serial)));
    const bool ok =
        m_report.serialSent && ReadReply(m_link, 1) != 0 && m_settings.RxBuffer[0] == kAck;
    AppendLine(ok ? kShortOKText : kShortFailedText);
    if (!ok) {
        m_settings.OperationOK = false;
        StepFailed(BoardStep::Serial);
    }
}

void TovrelForm::UnitDataWriteStep() {
    if (!m_unitData || !m_settings.OperationOK) return;
    EnterStep(BoardStep::UnitData);
    Append(kUnitDataText);
    m_settings.OperationOK = DataDownloadMode(m_link, m_mainWindow, TextFile{{}, *m_unitData});
    AppendLine(m_settings.OperationOK ? kLongOKText : kLongFailedText);
    if (!m_settings.OperationOK) StepFailed(BoardStep::UnitData);
}

}  // namespace tovrel
