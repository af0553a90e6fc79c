// The files of a download: chosen (the command line or the file dialogs), read and checked
// after the identification and before anything is erased, so that a file that cannot be used
// leaves the board as it came.
#include <limits>

#include "core/numbers.h"
#include "core/options.h"
#include "image/dataflash_file_check.h"
#include "image/hex_file_check.h"
#include "workflow/tovrel_form.h"

namespace tovrel {
namespace {

// The expected checksum as the log shows it: the checksum box's text as a 32-bit integer.
// The box only ever holds a number once it has lost the focus; should it still hold
// something else, the value taken over at that moment stands in for it.
std::int32_t ExpectedChecksumOf(const std::string& text, std::int32_t takenOver) {
    if (!BeginsWithNumber(text)) return takenOver;
    const double value = RoundHalfEven(LeadingNumber(text));
    if (!(value >= std::numeric_limits<std::int32_t>::min() &&
          value <= std::numeric_limits<std::int32_t>::max())) {
        return takenOver;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

void TovrelForm::FilesStep() {
    Settings& s = m_settings;
    m_codeFile.reset();
    m_dataFile.reset();
    s.OperationOK = true;
    // The data file is asked for only once the download file is good: a refusal ends here.
    if (s.DownloadMode != kDownloadDataOnly) s.OperationOK = PrepareCodeFile();
    if (s.OperationOK && s.DownloadMode != kDownloadCodeOnly) s.OperationOK = PrepareDataFile();
}

bool TovrelForm::PrepareCodeFile() {
    Settings& s = m_settings;
    EnterStep(BoardStep::Code);
    s.HexFileName = ChooseFile(s.CmdHexFileName, kHexFileFilter);
    if (s.HexFileName.empty()) {
        // A dialog that a stop closed was not cancelled by the user.
        if (m_host.StopSignal() == 0) AppendLine(kNoHexFileChosenLine);
        StepFailed(BoardStep::Code);
        return false;
    }
    // Read once: the check, the download, the verify and its files all use this reading.
    m_codeFile = m_readFile(m_host, s.HexFileName);
    // A stop that ended the wait for a file (a FIFO without a writer) is no bad file.
    if (!m_codeFile && Stopped()) return false;
    if (CheckHexFile(m_codeFile)) return true;
    m_codeFile.reset();
    StepFailed(BoardStep::Code);
    return false;
}

bool TovrelForm::CheckHexFile(const std::optional<TextFile>& file) {
    Settings& s = m_settings;
    // A file that could not be read (its message is shown) fails like one that fails its check.
    s.HexFileChecksum = 0;
    s.ChecksumMismatch = false;
    const bool checked = file && HexFileCheckFunction(s, m_host, *file, m_panel.Check1.checked);
    if (file) m_report.checksum = s.HexFileChecksum;
    // A good file's checksum line follows the erase line, where it always stood.
    if (checked) return true;
    AppendLine(kHexFileErrorLine);
    if (s.ChecksumMismatch) {
        const std::int32_t expected =
            ExpectedChecksumOf(m_panel.HexFileCHKSUM.text, s.ExpectedChecksum);
        AppendLine(ChecksumMismatchLine(expected, s.HexFileName, s.HexFileChecksum));
    } else {
        // Also after failed record checks: the sum still tells the user which file was read.
        AppendLine(ChecksumLine(s.HexFileName, s.HexFileChecksum));
    }
    return false;
}

bool TovrelForm::PrepareDataFile() {
    Settings& s = m_settings;
    EnterStep(BoardStep::Data);
    s.DataFileName = ChooseFile(s.CmdDataFileName, kDataFileFilter);
    if (s.DataFileName.empty()) {
        if (m_host.StopSignal() == 0) AppendLine(kNoDataFileChosenLine);
        StepFailed(BoardStep::Data);
        return false;
    }
    m_dataFile = m_readFile(m_host, s.DataFileName);
    if (!m_dataFile && Stopped()) return false;
    if (m_dataFile && DataflashFileCheckFunction(s, m_host, *m_dataFile)) return true;
    m_dataFile.reset();
    StepFailed(BoardStep::Data);
    Warn(InvalidDataflashFileMessage());
    AppendLine(DataFileFailedLine(s.DataFileName));
    return false;
}

std::string TovrelForm::ChooseFile(const std::string& commandLinePath, const char* filter) {
    if (!commandLinePath.empty()) return commandLinePath;
    return m_host.OpenFileDialog(filter);
}

}  // namespace tovrel
