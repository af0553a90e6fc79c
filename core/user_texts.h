#pragma once

#include <cstdint>
#include <string>

#include "core/host.h"

namespace tovrel {

// The one catalogue of what the user reads: message boxes and their titles, the lines of the
// status log, the file dialogs' filters, the window's captions and the console's notes. The
// system's own texts are kept to the byte, typos and spaces included; the program's own ones
// (templates with "%1") are translated by the host when they are shown.

// Titles and captions.
inline constexpr const char* kProgramTitle = "Tovrel";  // also for boxes without a title
inline constexpr const char* kConfigurationCaption = "Configuration";
inline constexpr const char* kWarningTitle = "Warning";
inline constexpr const char* kErrorTitle = "Error";
inline constexpr const char* kHexFileWarningTitle = "Warning Hex File";
inline constexpr const char* kAddressWarningTitle = "Warning Address";
inline constexpr const char* kHexFileErrorTitle = "Tovrel - Hex File Error";

// One message box.
struct UserMessage {
    std::string text;  // as shown when nothing is translated
    std::string title;
    // For the program's own messages: the template the text was filled from, which the host
    // translates before "%1" is filled again. Empty for the system's texts.
    std::string translatable;
    std::string argument;
    // More for whoever looks (the port and the system's reason): the window's "Show
    // Details...", one more line on standard error.
    std::string details;
};

void ShowMessage(Host& host, const UserMessage& message);

// The link.
UserMessage OpenPortErrorMessage(const std::string& details);
// "COM1 (/dev/ttyUSB0): No such file or directory": which port, where it leads, and why not.
std::string PortFailureDetails(const std::string& port, const std::string& path,
                               const std::string& reason);
// A modem line the port cannot set: "Cannot set DTR on " and the details as above.
UserMessage CannotSetLineMessage(bool dtr, const std::string& details);
UserMessage ChangeBaudrateErrorMessage();
UserMessage ProfileLineErrorMessage(int line, const std::string& path);
UserMessage CannotReadProfileMessage(const std::string& path);

// Files and flash operations.
UserMessage InvalidHexFileMessage();
UserMessage HexFileTooBigMessage();
UserMessage ChecksumMismatchMessage();
UserMessage DataflashAddressTooLargeMessage();
UserMessage InvalidRunAddressMessage();
UserMessage CannotOpenFileMessage(const std::string& path);
UserMessage CannotWriteFileMessage(const std::string& path);
// More than kMaxFileBytes: no download file is that large.
UserMessage FileTooLargeMessage(const std::string& path);
// A record at F800 hex or above, where the page image of the quick download and the verify
// ends.
UserMessage OutsideCodeImageMessage(const std::string& path);
// A record that runs past FFFF hex, where the 16-bit record address of the 'W' frame ends.
UserMessage BeyondAddressSpaceMessage(const std::string& path);
// An extended address record (type 02 or 04) whose value is not 0: data above 64 KB.
UserMessage ExtendedAddressMessage(const std::string& path);
// A record type above 05, which Intel HEX does not define.
UserMessage UnknownRecordTypeMessage(const std::string& path);

// The configuration panel; text is what the box held.
UserMessage FrequencyInputErrorMessage(const std::string& text);
UserMessage ChecksumInputErrorMessage(const std::string& text);
UserMessage RunAddressInputErrorMessage(const std::string& text);
UserMessage InvalidCrystalFrequencyMessage();
UserMessage InvalidAddressMessage();

// The commands.
UserMessage PortHeldMessage();
// The port's device does not exist: "No such device", the port and its path in the details.
UserMessage NoSuchDeviceMessage(const std::string& port, const std::string& path);
UserMessage ResetErrorMessage();
std::string ResetErrorText();
UserMessage InvalidDataflashFileMessage();
UserMessage DataDownloadErrorMessage();
// The settings file could not be written; an empty name: there was no place for it at all.
UserMessage SettingsNotSavedMessage(const std::string& file);
// A modem-line sequence of the settings file's [Lines] section that does not parse, with the
// step that is wrong: the sequence is not used.
UserMessage BadStoredLinesMessage(bool before, const std::string& badStep);

// The production bench. Details carry the system's reason, or the command's exit and its
// standard error.
UserMessage SerialAddressBeyondDataMessage(std::uint16_t address);
// Other data writes the number's address too; the details name where: "<source>, line <n>".
UserMessage SerialAddressTakenMessage(std::uint16_t address, const std::string& source,
                                      std::size_t line);
UserMessage SerialNumbersFailedMessage(const std::string& details);
UserMessage SerialNumberNotReturnedMessage(std::uint32_t number, const std::string& details);
UserMessage UnitDataFailedMessage(const std::string& command, const std::string& details);
UserMessage UnitDataRejectedMessage(const std::string& command, const std::string& details);
UserMessage ProductionLogFailedMessage(const std::string& file, const std::string& reason);

// The open-file dialogs.
inline constexpr const char* kHexFileFilter = "Hex Files (*.Hex)|*.hex";
inline constexpr const char* kDataFileFilter = "txt Files (*.txt)|*.txt";

// The status log: step texts, each followed by its outcome on the same line.
inline constexpr const char* kResettingText = "RESETTING PART: ";
inline constexpr const char* kStartingUserCodeText = "STARTING USER CODE: ";
inline constexpr const char* kErasingCodeText = "ERASING CODE ";
inline constexpr const char* kEraseCodeAndDataText = "AND DATA";
inline constexpr const char* kEraseCodeOnlyText = "ONLY";
inline constexpr const char* kVerifyingText = "VERIFYING USER CODE: ";
inline constexpr const char* kSecurityBitsText = "DOWNLOADING SECURITY BITS: ";
inline constexpr const char* kEnablingBootloadText = "ENABLING BOOTLOAD MODE: ";
// Outcomes: the reset's, the short one of most steps and the long one of the downloads.
inline constexpr const char* kOKText = "OK";
inline constexpr const char* kFailedText = "failed";
inline constexpr const char* kShortOKText = "... OK";
inline constexpr const char* kShortFailedText = "... failed";
inline constexpr const char* kLongOKText = "..........OK";
inline constexpr const char* kLongFailedText = "..........Failed";
// Lines of their own.
inline constexpr const char* kHexFileErrorLine = "failed......error in hex file";
inline constexpr const char* kBootloadErrorLine = "Error with Bootload mode";
// The program's own lines: a file dialog cancelled before anything was erased, the window
// closed while a command runs.
inline constexpr const char* kNoHexFileChosenLine =
    "No hex file chosen: nothing erased, nothing downloaded";
inline constexpr const char* kNoDataFileChosenLine =
    "No data file chosen: nothing erased, nothing downloaded";
inline constexpr const char* kClosingDuringCommandLine =
    "Window closed: Tovrel ends when the current step is done";

// CR LF and "Configuration: COM<n>, <baud text> baud" (a bench port given as a device path
// shows the path); the caller ends the line.
std::string ResetStartText(const std::string& port, const std::string& baudText);
// "Baudrate = <rate>... OK" or "... failed".
std::string BaudrateLine(std::int32_t rate, bool ok);
std::string ChecksumLine(const std::string& file, std::int32_t checksum);
std::string ChecksumMismatchLine(std::int32_t expected, const std::string& file,
                                 std::int32_t calculated);
std::string DownloadingCodeText(const std::string& file);
std::string DownloadingDataText(const std::string& file);
std::string DataFileFailedLine(const std::string& file);
std::string VerifyFileWrittenLine(const std::string& path);
// "PORT ERROR: " and PortFailureDetails: the port failed under the command.
std::string PortLostLine(const std::string& details);
// "READING CODE [<file>]:", the read-back's step, before its long outcome.
std::string ReadingCodeText(const std::string& file);

// The production steps of a bench run: "DOWNLOADING SERIAL NUMBER [<n>]: " and the unit data,
// each followed by its outcome.
std::string SerialNumberText(std::uint32_t number);
inline constexpr const char* kUnitDataText = "DOWNLOADING UNIT DATA:";

// What PelliconText shows of the identified device: "Zerk8", the model characters,
// " version ", major "." minor.
std::string DeviceText(const std::string& model, const std::string& major,
                       const std::string& minor);

// The serial-safe question (its window, its frame, its two texts).
inline constexpr const char* kSerialSafeWarningTitle = "Form1";
inline constexpr const char* kSerialSafeWarningCaption = "WARNING";
inline constexpr const char* kSerialSafeWarningText =
    "Setting The 'Serial Safe Mode' security option will disable serial download capability "
    "on this device. 'Serial Safe Mode can only be disabled by initiating a 'code-erase' "
    "command in parallel programming mode. This security option is designed to give maximum "
    "security to your code and should only be used once your code has been finalised. See "
    "the datasheet for more information.";
inline constexpr const char* kSerialSafeQuestionText =
    "Are you sure you want to set the 'Serial Safe Mode' and disable the serial downloader? ";

// The console of a run without a window: the program's own notes, translated when shown.
inline constexpr const char* kCommandPrefix = "tovrel: ";
inline constexpr const char* kNoFileDialogNote =
    "No file dialog without a display (%1): counted as cancelled; name the file on the command "
    "line";
inline constexpr const char* kSerialSafeConfirmedNote =
    "Serial safe mode confirmed by %1=yes: the serial downloader of this device will be "
    "disabled";
inline constexpr const char* kSerialSafeNotConfirmedNote =
    "Serial safe mode not confirmed (set %1=yes beforehand to confirm it): answered No";
inline constexpr const char* kNoWindowBuildNote =
    "this build has no main window (Qt Widgets was not found); give a command line and run it "
    "without a display";
inline constexpr const char* kNoDisplayNote =
    "no display to open the main window on (neither DISPLAY nor WAYLAND_DISPLAY is set); give a "
    "command line to download without one, see tovrel --help";
inline constexpr const char* kStoppedNote = "stopped by %1";
// A command line that cannot be used: "tovrel: " and one of these, then the hint below.
inline constexpr const char* kUsageHint = "see tovrel --help";
inline constexpr const char* kUnknownOptionError = "unknown option %1";
inline constexpr const char* kMissingValueError = "%1 needs a value";
inline constexpr const char* kRepeatedOptionError = "%1 is given twice";
inline constexpr const char* kBadPortError =
    "--ports: \"%1\" is neither COMn (n from 1 to 32), usb:SERIAL nor a device path";
inline constexpr const char* kUsbPortMissingError =
    "--ports: no USB serial adapter with the serial number \"%1\" is plugged in (tovrel "
    "--list-ports lists them)";
inline constexpr const char* kUsbPortTwiceError =
    "--ports: more than one USB serial adapter has the serial number \"%1\" (tovrel "
    "--list-ports lists them): name each by its device";
inline constexpr const char* kListPortsAloneError =
    "--list-ports goes with nothing but --json: \"%1\"";
// The listing found no serial port at all.
inline constexpr const char* kNoSerialPortsNote = "no serial ports found";
inline constexpr const char* kRepeatedPortError = "--ports: %1 is listed twice";
inline constexpr const char* kPerPortFileClashError =
    "--ports: two ports would write into one file, %1 (their names end alike)";
inline constexpr const char* kSameDeviceError = "--ports: %1 name one device";
inline constexpr const char* kPortsWithSwitchError = "%1 cannot be used together with --ports";
inline constexpr const char* kBadCountError = "--count: \"%1\" is not a whole number from 1 up";
inline constexpr const char* kBadSerialError =
    "--serial: \"%1\" is not a whole number from 0 to 4294967295";
inline constexpr const char* kBadSerialAtError =
    "--serial-at: \"%1\" is not a data-flash address from 0 to 65535";
inline constexpr const char* kSerialWithoutAddressError = "--serial needs --serial-at";
inline constexpr const char* kAddressWithoutSerialError = "%1 needs --serial";
inline constexpr const char* kBadBeforeStepError =
    "--before: bad step \"%1\" (steps are D0, D1, R0, R1 or W<seconds>, separated by |)";
inline constexpr const char* kBadAfterStepError =
    "--after: bad step \"%1\" (steps are D0, D1, R0, R1 or W<seconds>, separated by |)";
inline constexpr const char* kBadReadFileError = "--read: \"%1\" must end in .hex or .bin";
inline constexpr const char* kReadWithFileError = "--read takes no download file: \"%1\"";
inline constexpr const char* kReadWithBenchError = "--read cannot be used with %1";
inline constexpr const char* kNoDownloadFileError = "no download file given";
inline constexpr const char* kBadSinceError = "--since: \"%1\" is not a day YYYY-MM-DD";
inline constexpr const char* kBadHistoryError =
    "--history: \"%1\" is not a serial number from 0 to 4294967295";
inline constexpr const char* kNeedsDatabaseError = "%1 needs --db";
inline constexpr const char* kSinceWithoutReportError = "--since needs --report";
inline constexpr const char* kSerialFileWithDatabaseError =
    "--serial-file cannot be used with --db: the numbers come from the database";
inline constexpr const char* kReportWithFileError = "--report takes no download file: \"%1\"";
inline constexpr const char* kHistoryWithFileError = "--history takes no download file: \"%1\"";
inline constexpr const char* kReportWithOptionError = "--report cannot be used with %1";
inline constexpr const char* kHistoryWithOptionError = "--history cannot be used with %1";
// A bench run that cannot start: what it needs from the files is not there.
inline constexpr const char* kLogFileError = "--log: %1";
inline constexpr const char* kSerialFileError = "--serial-file: %1";
inline constexpr const char* kDatabaseError = "--db: %1";
inline constexpr const char* kNoSerialFolderError =
    "--serial: neither HOME nor XDG_CONFIG_HOME is set, so there is no folder for "
    "serial-numbers.txt; name the file with --serial-file";
// The unit-data command's end, for the details of its message.
inline constexpr const char* kCommandExitNote = "exit status %1";
inline constexpr const char* kCommandSignalNote = "ended by signal %1";
inline constexpr const char* kCommandTimeNote = "did not end within %1 s and was stopped";
inline constexpr const char* kCommandStartNote = "could not be started: %1";
inline constexpr const char* kCommandTooMuchNote = "wrote more than %1 bytes";
inline constexpr const char* kUnitDataLineNote = "line %1 is no data-flash line of this device";
// A port of a bench loop that does not open while it waits for the next board.
inline constexpr const char* kPortWaitNote = "waiting for %1 to open again";
// The trace file cannot be created; the system's reason follows after ": ".
inline constexpr const char* kCannotCreateTraceError = "--trace: cannot create \"%1\"";
// A trace that cannot be written any more, said once; the system's reason follows.
inline constexpr const char* kCannotWriteTraceError = "--trace: cannot write to \"%1\"";

// The usage, one translatable piece per paragraph; blank lines go between them.
extern const char* const kUsageParagraphs[7];

}  // namespace tovrel
