#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/configuration_panel.h"
#include "core/host.h"
#include "core/settings.h"
#include "core/text_file.h"
#include "core/user_texts.h"
#include "link/link.h"
#include "link/serial_port.h"
#include "workflow/board_step.h"
#include "workflow/main_window_model.h"
#include "workflow/production_steps.h"

namespace tovrel {

// What the last download left for a production record.
struct DownloadReport {
    BoardStep failedStep = BoardStep::None;  // the first step that failed
    bool stopped = false;                    // a stop cut it short
    std::string device;                      // the identified device's text; empty: none
    std::optional<std::uint32_t> serial;     // the number taken for the board
    bool serialSent = false;                 // the frame with it went out: it may be on it
    std::optional<std::int32_t> checksum;    // the download file's sum, once it was read
};

// How the sequence reads the download and data files: once per run by default. A bench that
// programs many boards reads each file once for all of them.
using FileReader = std::function<std::optional<TextFile>(Host& host, const std::string& path)>;

// The main form's logic: its two pages' models and every command handler, free of widgets.
// One instance per program run; it owns the record.
class TovrelForm {
  public:
    TovrelForm(Host& host, SerialPort& port, SettingsStore& store);
    TovrelForm(const TovrelForm&) = delete;
    TovrelForm& operator=(const TovrelForm&) = delete;

    // Start-up (defaults, saved settings for an interactive start, port list, one
    // identification attempt; a command-line run then downloads and closes) and shut-down.
    void Form_Load();
    void Form_QueryUnload();

    // A bench run's form (its port by UsePort below): with the production steps (may be null)
    // and the bench's file reader.
    void SetProductionSteps(ProductionSteps* steps) { m_production = steps; }
    void SetFileReader(FileReader reader) { m_readFile = std::move(reader); }
    // Start-up of a bench run: as a command-line start, with or without the start-up
    // identification, up to the switches applied; the downloads are the bench's to start.
    // Without tellPortFailure a port that does not open at start-up is not reported: the
    // board's own reset tries it at once and reports it, once.
    void LoadForBench(bool identify, bool tellPortFailure = true);
    // The record of the last download, and who hears which step it is in.
    const DownloadReport& LastDownload() const { return m_report; }
    std::function<void(BoardStep)> onStep;
    Link& link() { return m_link; }

    void ResetButton_Click();
    void DownloadButton_Click();
    void RunButton_Click();
    void ConfButton_Click();
    void OKButton_Click();
    void CancelButton_Click();
    // The close box while a command runs: the host stops the command at its next safe point
    // and the program ends with it; the log says so.
    void CloseDuringCommand();

    // The serial devices the panel's "Device..." button offers; none without a finder.
    void SetPortFinder(const PortFinder* finder) { m_panel.portFinder = finder; }

    // Modem-line sequences from the command line; they win over the settings file's [Lines].
    // Called before Form_Load.
    void SetLineOptions(std::optional<LineSequence> before, std::optional<LineSequence> after);
    // The port of one port of a bench run, whatever the command-line words say: COMn, or, with
    // a device path, that device (the record's Comport then stays as it is), named label
    // wherever the user reads about it (the path itself when label is empty). Called before
    // Form_Load.
    void UsePort(std::int16_t comport, const std::string& devicePath,
                 const std::string& label = {});
    // A command-line run that reads the code flash back into file (.hex or .bin by its
    // ending) instead of downloading: the reset command, the fast rate where the device has
    // it, "READING CODE [file]:" with its outcome, back to 9600. The command-line words are
    // switches only (word 0 is empty). Saves no settings. Answers the first step that failed
    // ("reset", "baudrate" or "read"), nothing when every one succeeded.
    std::optional<std::string> ReadBackRun(const std::string& file);

    // True once the form has been unloaded (the end of a command-line run, or a close).
    bool Unloaded() const { return m_unloaded; }
    // Exit status of a command-line run: 0 when the reset and every step of the last download
    // that ran succeeded, 1 when one of them failed or a file dialog was cancelled.
    int ExitStatus() const { return m_failed ? 1 : 0; }

    Settings& settings() { return m_settings; }
    ConfigurationPanel& panel() { return m_panel; }
    MainWindowModel& mainWindow() { return m_mainWindow; }

  private:
    // The first part of every start: defaults, the port, the panel, the modem lines.
    void LoadForm();
    // The [Lines] sequences of the store, unless the command line gave its own.
    void LoadModemLines();
    // Start-up identification: no status line, no ResetOK.
    void IdentifyAtStartUp(bool tellPortFailure = true);
    bool IsCommandLineRun() const;

    // A stop asked for from outside (a signal in a command-line run) ends the download like a
    // failed step: what is still to come is skipped, up to the way back to 9600 baud and the
    // close. True once it was asked for.
    bool Stopped();
    // A port that failed under the command (hung up, an I/O error, the device gone) ends it at
    // once: one line names the port and the system's reason, and nothing more is tried on it.
    // True once that happened.
    bool PortLost();
    // Steps of the download sequence, in their order.
    void EnterStep(BoardStep step);
    bool OpenPortForDownload();
    bool SlowCrystal() const;
    void SwitchToFastBaudrate();
    // The download file and the data file, as the download mode wants them, chosen, read and
    // checked before the erase; a file that cannot be used fails the step with its lines.
    void FilesStep();
    bool PrepareCodeFile();
    bool CheckHexFile(const std::optional<TextFile>& file);
    bool PrepareDataFile();
    void EraseStep();
    void CodeDownloadStep();
    void WriteCode(const TextFile& file);
    void VerifyStep(const TextFile& file);
    void DataDownloadStep();
    bool PrepareBoardStep();
    void SerialAddressStep();
    bool TakeSerialNumber();
    void SerialNumberStep();
    void UnitDataWriteStep();
    void SecurityBitsStep();
    void BootloadStep();
    void BaudrateBackStep();
    void RunStep();
    // The after sequence of the modem lines, before the port of a download or a run closes.
    void AfterLinesStep();
    void EndOfSequence();
    void ReadCodeStep(const std::string& file);

    // The path given on the command line, or the one chosen in the open-file dialog.
    std::string ChooseFile(const std::string& commandLinePath, const char* filter);
    void AppendLine(const std::string& text) { m_mainWindow.AppendStatus(text, true); }
    void Append(const std::string& text) { m_mainWindow.AppendStatus(text, false); }
    void Warn(const UserMessage& message) { ShowMessage(m_host, message); }
    // Marks the step as failed for the exit status and the record; what the sequence does is
    // not changed.
    void StepFailed(BoardStep step);

    Host& m_host;
    SerialPort& m_port;
    SettingsStore& m_store;
    Settings m_settings;
    ConfigurationPanel m_panel;
    MainWindowModel m_mainWindow;
    Link m_link;
    bool m_unloaded = false;
    bool m_failed = false;
    bool m_atFastRate = false;  // the device took the fast rate in this download
    bool m_portLost = false;    // the port failed under this download
    // The files of this download, read and checked before the erase.
    std::optional<TextFile> m_codeFile;
    std::optional<TextFile> m_dataFile;
    ProductionSteps* m_production = nullptr;
    FileReader m_readFile = ReadTextFile;
    DownloadReport m_report;
    BoardStep m_step = BoardStep::None;
    std::optional<std::vector<std::string>> m_unitData;
    std::optional<LineSequence> m_beforeOption;
    std::optional<LineSequence> m_afterOption;
    std::int16_t m_fixedComport = 0;  // UsePort's, 0 when none
};

}  // namespace tovrel
