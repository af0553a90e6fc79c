// The Download button: reset, fast baud rate, the files, erase, code, verify, data, security
// bits, bootload mode, back to 9600 baud, run.
#include "core/crystal.h"
#include "core/options.h"
#include "flash/device_control.h"
#include "flash/download.h"
#include "flash/erase.h"
#include "flash/verify.h"
#include "link/baud_rate.h"
#include "link/reset.h"
#include "workflow/tovrel_form.h"

namespace tovrel {
namespace {

constexpr std::uint8_t kBootloadOn = 0xFE;
constexpr std::uint8_t kBootloadOff = 0xFF;
// Security value: a cleared bit selects a mode; all bits set selects none.
constexpr std::int16_t kNoSecurityMode = 7;
constexpr std::int16_t kLockBit = 1;
constexpr std::int16_t kSecureBit = 2;
constexpr std::int16_t kSerialSafeBit = 4;

}  // namespace

void TovrelForm::DownloadButton_Click() {
    m_failed = false;
    m_atFastRate = false;
    m_portLost = false;
    m_report = {};
    m_unitData.reset();
    m_step = BoardStep::Reset;
    if (Stopped()) return;  // stopped before it began: nothing is sent at all
    ResetButton_Click();
    m_mainWindow.DisableButtons();
    if (m_settings.ResetOK) m_report.device = IdentificationDisplay(m_settings);
    if (!m_settings.ResetOK || Stopped() || !PrepareBoardStep() || !OpenPortForDownload()) {
        EndOfSequence();
        return;
    }
    if (SlowCrystal()) m_settings.FastBaudrateOption = false;
    // A stop skips the steps still to come, as a failure does; the rate still goes back. A
    // port that failed under the command takes nothing more at all.
    using Step = void (TovrelForm::*)();
    for (const Step step :
         {&TovrelForm::SwitchToFastBaudrate, &TovrelForm::FilesStep, &TovrelForm::SerialAddressStep,
          &TovrelForm::EraseStep, &TovrelForm::CodeDownloadStep, &TovrelForm::DataDownloadStep,
          &TovrelForm::SerialNumberStep, &TovrelForm::UnitDataWriteStep,
          &TovrelForm::SecurityBitsStep, &TovrelForm::BootloadStep}) {
        if (Stopped() || PortLost()) break;
        (this->*step)();
    }
    if (!PortLost()) BaudrateBackStep();
    if (!PortLost()) {
        RunStep();
        AfterLinesStep();
    }
    CloseCommPort(m_link);
    m_codeFile.reset();
    m_dataFile.reset();
    EndOfSequence();
}

void TovrelForm::EnterStep(BoardStep step) {
    m_step = step;
    if (onStep) onStep(step);
}

void TovrelForm::StepFailed(BoardStep step) {
    m_failed = true;
    if (m_report.failedStep == BoardStep::None) m_report.failedStep = step;
}

bool TovrelForm::Stopped() {
    if (m_host.StopSignal() == 0) return false;
    m_settings.OperationOK = false;
    m_report.stopped = true;
    StepFailed(m_step);
    return true;
}

bool TovrelForm::PortLost() {
    if (m_portLost) return true;
    const std::string reason = m_link.port.LineError();
    if (reason.empty()) return false;
    m_portLost = true;
    m_settings.OperationOK = false;
    StepFailed(m_step);
    AppendLine(PortLostLine(
        PortFailureDetails(PortName(m_link), m_link.portPath(m_settings.Comport), reason)));
    return true;
}

bool TovrelForm::OpenPortForDownload() {
    if (OpenCommPort(m_link)) return true;
    StepFailed(BoardStep::Reset);
    Warn(PortNotOpenedMessage(m_link));
    return false;  // never opened, so not closed either
}

bool TovrelForm::SlowCrystal() const {
    return m_panel.XtalButton.selected == kOtherCrystal &&
           m_panel.FrequencyValue() < kBootRateDownloadBelowMHz;
}

void TovrelForm::SwitchToFastBaudrate() {
    if (!m_settings.FastBaudrateOption) return;
    EnterStep(BoardStep::Baudrate);
    // The way back restores the saved rate even when this switch fails; without this it
    // would restore whatever an earlier run saved, or 0 in the first run.
    m_settings.SavedPCBaudrate = m_settings.PCBaudrate;
    const bool ok = ChangeBaudrate(m_link, m_settings.FastBaudrate);
    m_atFastRate = ok;
    if (!ok) StepFailed(BoardStep::Baudrate);
    // On failure the PC side stays at its rate, which is what the line reports.
    AppendLine(BaudrateLine(ok ? m_settings.FastBaudrate : m_settings.PCBaudrate, ok));
}

void TovrelForm::EraseStep() {
    // Nothing is erased for a file that cannot be written.
    if (!m_settings.OperationOK) return;
    EnterStep(BoardStep::Erase);
    Append(kErasingCodeText);
    const bool ok = EraseFunction(m_link);
    const std::string scope = m_settings.EraseMode ? kEraseCodeAndDataText : kEraseCodeOnlyText;
    AppendLine(scope + (ok ? kShortOKText : kShortFailedText));
    if (!ok) {
        m_settings.OperationOK = false;
        StepFailed(BoardStep::Erase);
    }
}

void TovrelForm::CodeDownloadStep() {
    Settings& s = m_settings;
    if (s.DownloadMode == kDownloadDataOnly || !s.OperationOK) return;
    EnterStep(BoardStep::Code);
    AppendLine(ChecksumLine(s.HexFileName, s.HexFileChecksum));
    WriteCode(*m_codeFile);
    if (Stopped() || PortLost()) return;
    VerifyStep(*m_codeFile);
}

void TovrelForm::WriteCode(const TextFile& file) {
    Settings& s = m_settings;
    Append(DownloadingCodeText(s.HexFileName));
    if (SlowCrystal()) s.QuickDownloadOption = false;
    if (s.QuickDownloadOption) {
        s.OperationOK = QuickDownloadMode(m_link, m_mainWindow, file);
        AppendLine(s.OperationOK ? kLongOKText : kLongFailedText);
    }
    // The standard download is the fallback after a failed quick download too. With
    // OperationOK already false it sends nothing and reports a second "..........Failed", so
    // the log shows two failure lines for one failed download, as it always has; not after a
    // port that failed, which ends the command.
    if (!s.QuickDownloadOption || (!s.OperationOK && !PortLost())) {
        s.OperationOK = StandardDownloadMode(m_link, m_mainWindow, file);
        AppendLine(s.OperationOK ? kLongOKText : kLongFailedText);
    }
    if (!s.OperationOK) StepFailed(BoardStep::Code);
}

void TovrelForm::VerifyStep(const TextFile& file) {
    const Settings& s = m_settings;
    if (!s.OperationOK || !s.VerifyAfterDownloadOption || !s.VerifyAfterDownload) return;
    EnterStep(BoardStep::Verify);
    Append(kVerifyingText);
    VerifyOutcome outcome;
    if (!VerifyAfterDownloadFunction(m_link, m_mainWindow, file, outcome)) {
        // A failed verify does not stop the later steps.
        AppendLine(kShortFailedText);
        StepFailed(BoardStep::Verify);
        return;
    }
    AppendLine(kShortOKText);
    if (!s.GenVerifyFiles) return;
    // Files that could not be written (the verify said so in its message) are not claimed.
    if (!outcome.filesWritten) {
        StepFailed(BoardStep::Verify);
        return;
    }
    AppendLine(VerifyFileWrittenLine(s.VerifyHexPath));
    AppendLine(VerifyFileWrittenLine(s.VerifyBinPath));
}

void TovrelForm::DataDownloadStep() {
    Settings& s = m_settings;
    if (!s.OperationOK || s.DownloadMode == kDownloadCodeOnly) return;
    EnterStep(BoardStep::Data);
    Append(DownloadingDataText(s.DataFileName));
    s.OperationOK = DataDownloadMode(m_link, m_mainWindow, *m_dataFile);
    if (!s.OperationOK) {
        StepFailed(BoardStep::Data);
        Warn(DataDownloadErrorMessage());
    }
    AppendLine(s.OperationOK ? kLongOKText : kLongFailedText);
}

void TovrelForm::SecurityBitsStep() {
    Settings& s = m_settings;
    if (!s.OperationOK || !s.SecurityBitsOption) return;
    EnterStep(BoardStep::Security);
    if (s.SerialSafeMode) {
        // The user's answer may clear SerialSafeMode; batch runs ask too.
        m_panel.ShowSerialSafeWarning();
        m_host.ProcessEventsUntil([this] { return !m_panel.SerialSafeWarningVisible; });
    }
    std::int16_t security = kNoSecurityMode;
    if (s.LockMode) security -= kLockBit;
    if (s.SecureMode) security -= kSecureBit;
    if (s.SerialSafeMode) security -= kSerialSafeBit;
    if (security == kNoSecurityMode) return;
    Append(kSecurityBitsText);
    const bool ok = SecurityBitsFunction(m_link, security);
    AppendLine(ok ? kShortOKText : kShortFailedText);
    if (!ok) {
        s.OperationOK = false;
        StepFailed(BoardStep::Security);
    }
}

void TovrelForm::BootloadStep() {
    Settings& s = m_settings;
    if (!s.OperationOK || !s.BootloadOption) return;
    EnterStep(BoardStep::Bootload);
    bool ok = true;
    if (s.Bootload) {
        Append(kEnablingBootloadText);
        ok = BootloadFunction(m_link, kBootloadOn);
        AppendLine(ok ? kShortOKText : kShortFailedText);
    } else {
        ok = BootloadFunction(m_link, kBootloadOff);
        if (!ok) AppendLine(kBootloadErrorLine);
    }
    if (!ok) {
        s.OperationOK = false;
        StepFailed(BoardStep::Bootload);
    }
}

void TovrelForm::BaudrateBackStep() {
    // Tried after every failure too, so that the device is left at its boot rate; after a stop
    // only when the device is at the fast rate, as the one message still sent.
    if (!m_settings.FastBaudrateOption || (m_host.StopSignal() != 0 && !m_atFastRate)) return;
    EnterStep(BoardStep::Baudrate);
    std::int32_t bootRate = kBootBaudrate;
    const bool ok = ChangeBaudrate(m_link, bootRate);
    if (!ok) StepFailed(BoardStep::Baudrate);
    AppendLine(BaudrateLine(m_settings.PCBaudrate, ok));
}

void TovrelForm::RunStep() {
    Settings& s = m_settings;
    if (Stopped() || !s.OperationOK || !s.RunAfterDownload) return;
    EnterStep(BoardStep::Run);
    Append(kStartingUserCodeText);
    // /B put E000, where bootload mode enters the code, over the line's own run address. A
    // device without that mode never got the bootload frame: its code starts where /R or
    // /R:hhhh says.
    const std::int32_t entry = s.RunAddress;
    if (s.CmdRunAddress && !s.BootloadOption) s.RunAddress = *s.CmdRunAddress;
    const bool ok = Run(m_link);
    s.RunAddress = entry;
    if (!ok) StepFailed(BoardStep::Run);
    AppendLine(ok ? kShortOKText : kShortFailedText);
}

void TovrelForm::AfterLinesStep() {
    // Run whatever happened before, so that the lines the before sequence set are let go.
    if (!SetModemLines(m_link, m_link.lines.after)) StepFailed(BoardStep::Run);
}

void TovrelForm::EndOfSequence() {
    if (!IsCommandLineRun()) {
        m_mainWindow.EnableButtons();
        return;
    }
    // A command-line run keeps the buttons disabled until the form closes.
    Pause(m_link, static_cast<float>(m_settings.BatchPauseSeconds));
}

}  // namespace tovrel
