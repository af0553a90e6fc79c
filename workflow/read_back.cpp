// A command-line run that reads the code flash back into a file instead of downloading.
#include <algorithm>
#include <cctype>

#include "config/command_line.h"
#include "flash/verify.h"
#include "flash/verify_files.h"
#include "workflow/tovrel_form.h"

namespace tovrel {
namespace {

constexpr std::string_view kBinaryEnding = ".bin";
// The steps a read-back can fail at, by the names the bench reports them under.
constexpr const char* kResetStep = "reset";
constexpr const char* kBaudrateStep = "baudrate";
constexpr const char* kReadStep = "read";
// Where the page reads of the loader end: code at F800 hex and above cannot be read back.
constexpr std::size_t kReadableCodeEnd = kCodeImageSize;

bool IsBinaryFile(const std::string& file) {
    if (file.size() < kBinaryEnding.size()) return false;
    return std::ranges::equal(
        file.substr(file.size() - kBinaryEnding.size()), kBinaryEnding,
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// The file's content: Intel HEX without the erased pages, or the raw bytes.
std::string FileContent(const std::string& file, const CodeImage& image, std::size_t pageCount) {
    if (!IsBinaryFile(file)) return ReadBackHexText(image, pageCount);
    const auto bytes = image.Bytes().first(pageCount * kPageSize);
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace

std::optional<std::string> TovrelForm::ReadBackRun(const std::string& file) {
    LoadForm();
    SetInputArgs(m_panel, m_settings, m_host.CommandLineWords());
    m_failed = false;
    m_atFastRate = false;
    m_portLost = false;
    if (m_host.StopSignal() != 0) return kResetStep;
    ResetButton_Click();
    m_mainWindow.DisableButtons();
    // A port that does not open fails the reset step, as it does at the reset.
    if (!m_settings.ResetOK || Stopped() || !OpenPortForDownload()) return kResetStep;
    if (SlowCrystal()) m_settings.FastBaudrateOption = false;
    // The first step after which the run counts as failed.
    std::optional<std::string> failedStep;
    const auto note = [&](const char* step) {
        if (m_failed && !failedStep) failedStep = step;
    };
    SwitchToFastBaudrate();
    note(kBaudrateStep);
    if (!Stopped() && !PortLost()) ReadCodeStep(file);
    note(kReadStep);
    // A port that failed takes nothing more.
    if (!PortLost()) {
        BaudrateBackStep();
        note(kBaudrateStep);
        // Lines that cannot be let go fail the read-back as a whole, though the file is written.
        AfterLinesStep();
        note(kReadStep);
    }
    CloseCommPort(m_link);
    return failedStep;
}

void TovrelForm::ReadCodeStep(const std::string& file) {
    const std::int32_t codeSize = std::max(m_settings.CodeSize, 0);
    const std::size_t pageCount =
        std::min(static_cast<std::size_t>(codeSize), kReadableCodeEnd) / kPageSize;
    Append(ReadingCodeText(file));
    CodeImage image;
    // Written only when every page came: a failed read leaves no file behind.
    const bool ok = ReadCodeFunction(m_link, m_mainWindow, pageCount, image) &&
                    WriteFileWhole(m_host, file, FileContent(file, image, pageCount));
    AppendLine(ok ? kLongOKText : kLongFailedText);
    if (!ok) StepFailed(BoardStep::Read);
}

}  // namespace tovrel
