#pragma once

namespace tovrel {

// The steps of one board's download, as a production record names the first that failed.
enum class BoardStep {
    None,
    Reset,     // the identification, at start-up or in the download, or the port not opening
    Baudrate,  // either rate switch
    Erase,
    Code,  // file choice, check or download
    Verify,
    Data,  // check or download
    Serial,
    UnitData,
    Security,
    Bootload,
    Run,
    Read,    // read-back
    Record,  // the bench's record of the board: the log, the database
};

// "reset", "baudrate", ..., "unit-data", ...; empty for None.
constexpr const char* BoardStepName(BoardStep step) {
    constexpr const char* kNames[] = {"",         "reset", "baudrate", "erase",     "code",
                                      "verify",   "data",  "serial",   "unit-data", "security",
                                      "bootload", "run",   "read",     "record"};
    return kNames[static_cast<int>(step)];
}

}  // namespace tovrel
