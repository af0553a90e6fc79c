#include "core/user_texts.h"

#include "core/bytes.h"
#include "core/text_file.h"

namespace tovrel {
namespace {

// One of the system's messages, shown as it is.
UserMessage Fixed(std::string text, const char* title) {
    UserMessage message;
    message.text = std::move(text);
    message.title = title;
    return message;
}

// One of the program's own messages: the template is kept for the host's translation.
UserMessage Own(const char* text, const std::string& argument, const char* title) {
    UserMessage message = Fixed(Fill(text, argument), title);
    message.translatable = text;
    message.argument = argument;
    return message;
}

// The three input errors of the panel share their shape: the text as typed in quotes, what
// the box wants, a blank line and an example.
UserMessage InputError(const std::string& text, const char* wanted, const char* example) {
    return Fixed("'" + text + "'" + wanted + kLineEnd + kLineEnd + example, kProgramTitle);
}

}  // namespace

void ShowMessage(Host& host, const UserMessage& message) {
    host.MessageBox(message.translatable.empty()
                        ? message.text
                        : Tr(host, message.translatable.c_str(), message.argument),
                    message.title, message.details);
}

UserMessage OpenPortErrorMessage(const std::string& details) {
    UserMessage message = Fixed("Error encountered while Opening Port", kErrorTitle);
    message.details = details;
    return message;
}

std::string PortFailureDetails(const std::string& port, const std::string& path,
                               const std::string& reason) {
    return port + " (" + path + "): " + reason;
}

UserMessage CannotSetLineMessage(bool dtr, const std::string& details) {
    return Own(dtr ? "Cannot set DTR on %1" : "Cannot set RTS on %1", details, kWarningTitle);
}

UserMessage ChangeBaudrateErrorMessage() {
    return Fixed("Error encountered while changing baudrate", kWarningTitle);
}

UserMessage ProfileLineErrorMessage(int line, const std::string& path) {
    return Fixed("Error in Line " + std::to_string(line) + " of " + path, kWarningTitle);
}

UserMessage CannotReadProfileMessage(const std::string& path) {
    return Own("Cannot read the device profile %1", path, kWarningTitle);
}

UserMessage InvalidHexFileMessage() { return Fixed("Invalid Hex File", kWarningTitle); }

UserMessage HexFileTooBigMessage() { return Fixed("Hex File too big", kHexFileWarningTitle); }

UserMessage ChecksumMismatchMessage() {
    return Fixed("Checksum of file to download does not match required checksum ",
                 kHexFileErrorTitle);
}

UserMessage DataflashAddressTooLargeMessage() {
    return Fixed(
        "A data flash memory address specified in the text file is larger than that "
        "allowed for this Pellicon",
        kProgramTitle);
}

UserMessage InvalidRunAddressMessage() {
    return Fixed("Invalid Run Address", kAddressWarningTitle);
}

UserMessage CannotOpenFileMessage(const std::string& path) {
    return Own("Cannot open file %1", path, kWarningTitle);
}

UserMessage CannotWriteFileMessage(const std::string& path) {
    return Own("Cannot write file %1", path, kWarningTitle);
}

UserMessage FileTooLargeMessage(const std::string& path) {
    return Own(
        "File %1 is larger than 64 MiB, far beyond any download file: nothing of it is "
        "sent",
        path, kWarningTitle);
}

UserMessage OutsideCodeImageMessage(const std::string& path) {
    return Own(
        "Hex file %1 holds code at address F800 hex or above, outside the code image "
        "(0000 to F7FF hex) that the quick download and the verify cover",
        path, kHexFileWarningTitle);
}

UserMessage BeyondAddressSpaceMessage(const std::string& path) {
    return Own("Hex file %1 holds a record that runs past address FFFF hex", path,
               kHexFileWarningTitle);
}

UserMessage ExtendedAddressMessage(const std::string& path) {
    return Own(
        "Hex file %1 holds an extended address record that is not 0: its data lies above "
        "64 KB, where no device of this family has code flash. Nothing of it is sent",
        path, kHexFileWarningTitle);
}

UserMessage UnknownRecordTypeMessage(const std::string& path) {
    return Own(
        "Hex file %1 holds a record of a type Intel HEX does not define (above 05): nothing of "
        "it is sent",
        path, kHexFileWarningTitle);
}

UserMessage FrequencyInputErrorMessage(const std::string& text) {
    return InputError(text,
                      " is not a valid input for the Other Crystal Frequency (Mhz). Please enter "
                      "a valid decimal number.",
                      "e.g. Use '11.095' instead of '11095200'.");
}

UserMessage ChecksumInputErrorMessage(const std::string& text) {
    return InputError(text,
                      " is not a valid input for the Expected Checksum. Please enter a valid "
                      "decimal number.",
                      "e.g. Use '23' instead of '0x17'.");
}

UserMessage RunAddressInputErrorMessage(const std::string& text) {
    return InputError(text,
                      " is not a valid input for the Run Address. Please enter a valid hex "
                      "number.",
                      "e.g. Use 'C000' instead of '0xC000'.");
}

UserMessage InvalidCrystalFrequencyMessage() {
    return Fixed("Invalid Crystal Frequency", kWarningTitle);
}

UserMessage InvalidAddressMessage() { return Fixed("Invalid Address", kAddressWarningTitle); }

UserMessage PortHeldMessage() {
    return Fixed("Com Port Already Open by another host", kWarningTitle);
}

UserMessage NoSuchDeviceMessage(const std::string& port, const std::string& path) {
    UserMessage message = Fixed("No such device", kWarningTitle);
    message.details = port + " (" + path +
                      ") does not exist: tovrel --list-ports lists the serial ports of this "
                      "computer, and Device... under Configuration maps one to a COM port";
    return message;
}

std::string ResetErrorText() {
    // A blank line follows the first two lines and the fifth point.
    return "Error: could not reset the device\r\r\n"
           "Please ensure that...\r\r\n"
           "1. The power supply is connected\r\n"
           "2. All connections are correct\r\n"
           "3. A program is not already running\r\n"
           "4. The correct value for the crystal is selected\r\n"
           "5. PSEN is inserted\r\r\n"
           "See downloading instructions under 'Help-->Index'";
}

UserMessage ResetErrorMessage() { return Fixed(ResetErrorText(), kWarningTitle); }

UserMessage InvalidDataflashFileMessage() {
    return Fixed("Invalid Dataflash TXT File", kWarningTitle);
}

UserMessage DataDownloadErrorMessage() {
    // "dowloading" is the message's own spelling: it stays as users and their scripts know it.
    return Fixed("Error encountered while dowloading the data, please retry.", kWarningTitle);
}

UserMessage SettingsNotSavedMessage(const std::string& file) {
    if (file.empty()) {
        return Own(
            "The settings were not saved: neither HOME nor XDG_CONFIG_HOME is set, so "
            "there is no folder for Tovrel/Tovrel.conf",
            {}, kWarningTitle);
    }
    return Own("The settings could not be saved to %1", file, kWarningTitle);
}

UserMessage BadStoredLinesMessage(bool before, const std::string& badStep) {
    return Own(before ? "Before in the section [Lines] of the settings file has a bad step \"%1\" "
                        "(steps are D0, D1, R0, R1 or W<seconds>, separated by |): it is not used"
                      : "After in the section [Lines] of the settings file has a bad step \"%1\" "
                        "(steps are D0, D1, R0, R1 or W<seconds>, separated by |): it is not used",
               badStep, kWarningTitle);
}

UserMessage SerialAddressBeyondDataMessage(std::uint16_t address) {
    return Own(
        "The serial number's data-flash address %1 (--serial-at) lies beyond the data flash "
        "of this device: no number is written",
        std::to_string(address), kWarningTitle);
}

UserMessage SerialAddressTakenMessage(std::uint16_t address, const std::string& source,
                                      std::size_t line) {
    UserMessage message =
        Own("The serial number's data-flash address %1 (--serial-at) is written by other data too: "
            "nothing is erased",
            std::to_string(address), kWarningTitle);
    message.details = source + ", line " + std::to_string(line);
    return message;
}

UserMessage SerialNumbersFailedMessage(const std::string& details) {
    return Own("No serial number could be reserved for this board: %1", details, kWarningTitle);
}

UserMessage SerialNumberNotReturnedMessage(std::uint32_t number, const std::string& details) {
    UserMessage message =
        Own("Serial number %1 of a failed board could not go back for the next board",
            std::to_string(number), kWarningTitle);
    message.details = details;
    return message;
}

UserMessage UnitDataFailedMessage(const std::string& command, const std::string& details) {
    UserMessage message = Own("The unit-data command failed: %1", command, kWarningTitle);
    message.details = details;
    return message;
}

UserMessage UnitDataRejectedMessage(const std::string& command, const std::string& details) {
    UserMessage message =
        Own("The unit-data command wrote no valid data-flash lines: %1", command, kWarningTitle);
    message.details = details;
    return message;
}

UserMessage ProductionLogFailedMessage(const std::string& file, const std::string& reason) {
    UserMessage message = Own("Cannot write to the production log %1", file, kWarningTitle);
    message.details = reason;
    return message;
}

std::string ResetStartText(const std::string& port, const std::string& baudText) {
    // The line break comes first, not last: each reset's report starts on a line of its own
    // whatever the line before left open, so a fresh log begins with an empty line. Logs are
    // compared line for line, so that empty line stays.
    return "\r\nConfiguration: " + port + ", " + baudText + " baud";
}

std::string SerialNumberText(std::uint32_t number) {
    return "DOWNLOADING SERIAL NUMBER [" + std::to_string(number) + "]: ";
}

std::string BaudrateLine(std::int32_t rate, bool ok) {
    return "Baudrate = " + std::to_string(rate) + (ok ? kShortOKText : kShortFailedText);
}

std::string ChecksumLine(const std::string& file, std::int32_t checksum) {
    return "CheckSum of [" + file + "] is " + HexText(checksum) + "hex - " +
           std::to_string(checksum) + " Dec";
}

std::string ChecksumMismatchLine(std::int32_t expected, const std::string& file,
                                 std::int32_t calculated) {
    return "expected " + HexText(expected) + " hex for [" + file + "] ... calculated " +
           HexText(calculated) + " hex !!";
}

std::string DownloadingCodeText(const std::string& file) {
    return "DOWNLOADING CODE [" + file + "]:";
}

std::string DownloadingDataText(const std::string& file) {
    return "DOWNLOADING DATA [" + file + "]:";
}

std::string DataFileFailedLine(const std::string& file) {
    return "Downloading the data file: " + file + " ...failed";
}

std::string VerifyFileWrittenLine(const std::string& path) {
    return "VERIFY CODE WRITTEN TO FILE [" + path + "]";
}

std::string PortLostLine(const std::string& details) { return "PORT ERROR: " + details; }

std::string ReadingCodeText(const std::string& file) { return "READING CODE [" + file + "]:"; }

std::string DeviceText(const std::string& model, const std::string& major,
                       const std::string& minor) {
    return "Zerk8" + model + " version " + major + "." + minor;
}

const char* const kUsageParagraphs[7] = {
    "Usage: tovrel                          open the main window\n"
    "       tovrel HEXFILE [DATAFILE] [SWITCH...]\n"
    "                                       download unattended, then end\n"
    "       tovrel [BENCH OPTION...] [--before SEQ] [--after SEQ] [--trace FILE]\n"
    "              HEXFILE [DATAFILE] [SWITCH...]\n"
    "                                       the same with the options below\n"
    "       tovrel --read FILE [--ports LIST] [--before SEQ] [--after SEQ] [--trace FILE]\n"
    "              [SWITCH...]              read the code flash back into FILE\n"
    "       tovrel --list-ports [--json]    list the serial ports and the COMn of each\n"
    "       tovrel --report --db TARGET [--since YYYY-MM-DD] [--station NAME] [--json]\n"
    "                                       boards, OK, failed and yield by day and station\n"
    "       tovrel --history SERIAL --db TARGET [--json]\n"
    "                                       every record of one board\n"
    "       tovrel --help | --version\n",
    "The first word is always the Intel HEX file. Switches (upper or lower case):\n"
    "  /D       erase the code flash only (and download the code only)\n"
    "  /B       set bootload mode after the download (the code then starts at E000)\n"
    "  /R       start the user code after the download\n"
    "  /V       verify the code flash after the download\n"
    "  /R:hhhh  start the user code at the hexadecimal address hhhh (four characters)\n"
    "  /C:n     use the serial port COMn, n from 1 to 31\n"
    "  /T:n     wait n seconds (0 to 9) at the end\n"
    "  /S:n     security bits: 0 lock, 1 secure, 2 serial safe, 3 all three\n"
    "  /M:n     download 0 code and data, 1 code only, 2 data only; with 0 and 2 the\n"
    "           second word is the data-flash text file\n"
    "  /X:f     other crystal of f MHz\n",
    "Serial ports: COMn opens the device named by the environment variable TOVREL_COMn,\n"
    "else the key COMn of the section [Ports] in the settings file (Configuration,\n"
    "Device... sets it), else /dev/ttyS(n-1). tovrel --list-ports prints a line per port:\n"
    "the COMn that open it (- for none), its device, and \"built-in\" or \"USB\" with the\n"
    "adapter's ids, maker, product and serial number, its stable /dev/serial/by-id name\n"
    "on a second line; with --json one JSON object per port.\n",
    "Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) a command-line run opens\n"
    "no window: the status log goes to standard output, messages to standard error, a\n"
    "file dialog counts as cancelled, and the serial-safe question is answered No unless\n"
    "the environment variable TOVREL_CONFIRM_SERIAL_SAFE=yes confirms it beforehand.\n",
    "Exit status: 0 the reset and every step that ran succeeded; 1 the reset or a step\n"
    "failed, or no file was given; 2 no window can be shown, or the command line cannot\n"
    "be used. SIGINT, SIGTERM and SIGHUP stop a run in good order, the window's too (the\n"
    "device back at 9600 baud, the port closed, the settings saved); the status is then\n"
    "130, 143 or 129.\n",
    "Bench and developer options (--name VALUE or --name=VALUE, anywhere on the line):\n"
    "  --ports LIST         program on every port of the comma-separated list at once\n"
    "                       (COMn, a device path such as /dev/ttyUSB0, or usb:SERIAL,\n"
    "                       the USB adapter with that serial number); not with /C:\n"
    "  --loop               after each board wait for the next one, until Ctrl-C\n"
    "  --count N            end after N boards in all (implies --loop)\n"
    "  --serial FIRST       give each board the next serial number, from FIRST on,\n"
    "  --serial-at ADDRESS  written as four bytes at this data-flash address\n"
    "  --serial-file PATH   where the numbers are kept (default: serial-numbers.txt\n"
    "                       beside the settings file)\n"
    "  --unit-data COMMAND  data-flash lines for each board from COMMAND's output\n"
    "                       (given TOVREL_PORT, TOVREL_DEVICE and TOVREL_SERIAL)\n"
    "  --log FILE           append one CSV line per board to FILE\n"
    "  --db TARGET          keep the record (and with --serial the numbers) in a database:\n"
    "                       an SQLite file, or a postgresql:// URI; not with --serial-file\n"
    "  --station NAME       the bench's name in the database (default: the host's name)\n"
    "  --json               one JSON object per line on standard output\n"
    "  --before SEQ         set the modem lines before every reset message, e.g.\n"
    "                       \"R1|D1|W0.05|D0|W0.1\" (D DTR, R RTS, 1 asserted, W seconds)\n"
    "  --after SEQ          set them at the end of a download, run or read-back, e.g.\n"
    "                       \"R0|D1|W0.05|D0\" (default for both: Before and After of the\n"
    "                       section [Lines] in the settings file; empty: lines untouched)\n"
    "  --read FILE          read the code flash into FILE (.hex or .bin); no download\n"
    "  --trace FILE         write every message both ways, time-stamped, to FILE\n"
    "\"--\" ends these options, so a file may begin with \"--\" after it; any other word\n"
    "that begins with \"--\" must name an option, so a mistyped one is never taken for a\n"
    "file. A command line that cannot be used ends with status 2. With --ports every line\n"
    "begins with its port, and a summary line per board follows. In a bench run the\n"
    "first SIGINT or SIGTERM takes no new board, the second stops the boards in progress.\n",
    "More: man tovrel, and the pages in docs/ beside the README (window.md,\n"
    "command-line.md, bench.md, database.md, developers-bench.md, simulated-device.md,\n"
    "performance.md, reliability.md, windows.md).\n"};

}  // namespace tovrel
