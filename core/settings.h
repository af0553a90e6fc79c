#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tovrel {

// The one program-wide record of configuration and run-time state. Field names are the
// record's own; every operation reads and writes them by name. The device-profile fields
// live here too: identification overwrites them and several of them are persisted.
struct Settings {
    // Persisted configuration, in the store's key order.
    std::int16_t Comport = 0;
    std::int32_t PCBaudrate = 0;
    std::int16_t XTAL = 0;
    bool EraseMode = false;
    std::int16_t DownloadMode = 0;
    bool LockMode = false;
    bool SecureMode = false;
    bool SerialSafeMode = false;
    std::int32_t RunAddress = 0;
    bool RunAfterDownload = false;
    bool VerifyAfterDownload = false;
    bool GenVerifyFiles = false;
    bool Bootload = false;
    bool SecurityBitsOption = false;
    bool FastBaudrateOption = false;
    bool VerifyAfterDownloadOption = false;
    bool BootloadOption = false;
    std::int32_t fcore = 0;

    // Device profile (not persisted).
    std::int32_t CodeSize = 0;
    std::int16_t DataSize = 0;
    bool QuickDownloadOption = false;
    std::uint8_t T3CON = 0;
    std::uint8_t T3FD = 0;
    std::uint8_t T3CON9600 = 0;
    std::uint8_t T3FD9600 = 0;
    std::int16_t ClkAdjust = 0;

    // Run-time state.
    // The configuration panel's crystal frequency box (MHz) as the device exchanges read it:
    // the other crystal's clock at identification, the 20 MHz pair on the way back to 9600.
    // The panel keeps it equal to the box.
    std::string FrequencyText;
    std::string IdString;
    std::string PartName;
    std::array<std::uint8_t, 261> RxBuffer{};
    bool PortError = false;
    std::int32_t SavedPCBaudrate = 0;
    std::int32_t FastBaudrate = 0;
    bool OperationOK = false;
    bool ResetOK = false;
    std::string HexFileName;
    std::string DataFileName;
    std::string CmdHexFileName;
    std::string CmdDataFileName;
    // The run address of the command line's /R or /R:hhhh when /B put E000 over it: where the
    // code starts on a device without bootload mode. None without /B.
    std::optional<std::int32_t> CmdRunAddress;
    std::int16_t BatchPauseSeconds = 0;
    std::int32_t ExpectedChecksum = 0;
    std::int32_t HexFileChecksum = 0;
    bool ChecksumMismatch = false;
    std::string VerifyHexPath;
    std::string VerifyHexName;
    std::string VerifyBinPath;
    std::string VerifyBinName;
};

// Per-user store of text values addressed by application, section and key.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual std::string Read(const std::string& application, const std::string& section,
                             const std::string& key, const std::string& defaultText) const = 0;
    virtual void Save(const std::string& application, const std::string& section,
                      const std::string& key, const std::string& text) = 0;
    // Makes what was saved lasting. Answers nothing when it is, else the file that could not
    // be written: an empty name when the values have no place at all (no home folder).
    virtual std::optional<std::string> Flush() { return std::nullopt; }
};

// The port list offers COM1 to COM32.
inline constexpr std::int16_t kFirstComport = 1;
inline constexpr std::int16_t kLastComport = 32;

inline constexpr const char* kSettingsApplication = "Tovrel";
inline constexpr const char* kSettingsSection = "8051";

// Start-up defaults of the record (the frame layout is the main window's business).
void LoadDefaultData(Settings& settings);
// Reads the eighteen persisted keys over the record. Returns the text the panel's crystal
// frequency box shows afterwards (fcore in MHz, shortest form).
std::string LoadSavedData(Settings& settings, const SettingsStore& store);
void SaveSavedData(const Settings& settings, SettingsStore& store);

}  // namespace tovrel
