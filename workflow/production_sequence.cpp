// The bench's steps in the download: a serial number and unit data for each board.
#include "core/bytes.h"
#include "flash/download.h"
#include "flash/frames.h"
#include "workflow/tovrel_form.h"

namespace tovrel {
namespace {

// The number goes out as four bytes, most significant first, in one data-flash line.
std::array<std::uint8_t, kDataflashBytesPerLine> SerialBytes(std::uint32_t number) {
    return {static_cast<std::uint8_t>(number >> (3 * kByteBits)),
            static_cast<std::uint8_t>(number >> (2 * kByteBits)),
            static_cast<std::uint8_t>(number >> kByteBits), static_cast<std::uint8_t>(number)};
}

}  // namespace

// Unit data is made right after the identification, before anything is erased: a board whose
// data cannot be made is left as it came. With serial numbers the command is told its number,
// so the number is taken first.
bool TovrelForm::UnitDataStep() {
    if (m_production == nullptr || !m_production->HasUnitData()) return true;
    if (m_production->SerialAddress() && !TakeSerialNumber()) return false;
    EnterStep(BoardStep::UnitData);
    m_unitData =
        m_production->UnitData(m_host, {m_report.device, m_report.serial, m_settings.DataSize});
    if (m_unitData) return true;
    StepFailed(BoardStep::UnitData);
    return false;
}

// The address is checked against this device's data flash as a data-file line's is, before a
// number is spent on it.
bool TovrelForm::TakeSerialNumber() {
    EnterStep(BoardStep::Serial);
    const std::uint16_t address = *m_production->SerialAddress();
    if (address > m_settings.DataSize) {
        Warn(SerialAddressBeyondDataMessage(address));
    } else {
        m_report.serial = m_production->TakeSerial(m_host);
    }
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
    const bool ok = SendAndAcknowledge(
        m_link, BuildDataWriteFrame(*m_production->SerialAddress(), SerialBytes(*m_report.serial)));
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
