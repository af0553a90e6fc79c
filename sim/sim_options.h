#pragma once

#include <span>
#include <string>
#include <vector>

#include "sim/boot_loader.h"
#include "sim/fault_plan.h"
#include "sim/flash_memory.h"

namespace tovrel::sim {

struct SimOptions {
    std::string linkPath;   // --link: symbolic link to the terminal end
    std::string statePath;  // --state: flash contents shared between runs
    std::string tracePath;  // --trace: every message and reply
    std::string idText = kDefaultIdText;
    long coreClock = kDefaultCoreClock;
    long startRate = 0;  // --start-baud; 0: the rate the crystal (coreClock) gives
    std::size_t codeSize = kDefaultCodeSize;
    std::size_t dataPages = kDefaultDataPages;
    bool noBoard = false;  // --no-board: nothing on the line until a new board is put on
    bool realtime = false;
    // Device times used with --realtime.
    long eraseMs = 20;
    long pageWriteMs = 5;
    long recordWriteMs = 1;
    // A message left unfinished for this long is discarded, so the next one is seen.
    long gapTimeoutMs = 200;
    // A USB adapter's latency timer: each reply reaches the host only at the next multiple of
    // this many milliseconds; 0: at once.
    long latencyMs = 0;
    bool silent = false;
    std::vector<FaultRule> faults;
    std::vector<VerifyCorruption> corruptions;
    bool showHelp = false;
};

// Reads the arguments after the program name. On a bad option it returns false and
// error names the option and what was wrong with it.
bool ParseOptions(std::span<const char* const> args, SimOptions& options, std::string& error);

std::string UsageText();

}  // namespace tovrel::sim
