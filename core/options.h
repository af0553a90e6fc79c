#pragma once

namespace tovrel {

// The option groups of the configuration panel, by the index of each option button. For the
// crystal and the download mode the index is also the value the record keeps (XTAL,
// DownloadMode); the command line's /M:n gives it directly.
enum CrystalOption : int { kStandardCrystal = 0, kWatchCrystal = 1, kOtherCrystal = 2 };
enum EraseOption : int { kEraseCodeOnly = 0, kEraseCodeAndData = 1 };
enum DownloadOption : int {
    kDownloadCodeAndData = 0,
    kDownloadCodeOnly = 1,
    kDownloadDataOnly = 2
};
enum RunOption : int { kRunFromStart = 0, kRunFromAddress = 1 };

// Crystals and download modes alike have three options.
inline constexpr int kOptionCount = 3;

}  // namespace tovrel
