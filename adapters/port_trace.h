#pragma once

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

#include "core/translator.h"
#include "core/user_texts.h"
#include "link/traced_serial_port.h"

namespace tovrel {

// The protocol trace every system's port factory wraps a port in; kept in the header so that
// each system's adapters library takes it without a file of its own.

// The trace file, created anew; the name is UTF-8 on every system.
inline std::FILE* CreateTraceFile(const std::string& path) {
#ifdef _WIN32
    const std::filesystem::path name(std::u8string(path.begin(), path.end()));
    return _wfopen(name.c_str(), L"wb");
#else
    return std::fopen(path.c_str(), "w");
#endif
}

// port wrapped in a protocol trace into traceFile. Empty, with the system's reason in error,
// when the trace file cannot be created.
inline std::unique_ptr<SerialPort> WithTrace(std::unique_ptr<SerialPort> port,
                                             const std::string& traceFile,
                                             std::function<std::string()> portName,
                                             const Translator& translator, std::string& error) {
    std::shared_ptr<std::FILE> file(CreateTraceFile(traceFile), [](std::FILE* f) {
        if (f != nullptr) std::fclose(f);
    });
    if (!file) {
        error = std::generic_category().message(errno);
        return nullptr;
    }
    const std::string cannotWrite = Tr(translator, kCannotWriteTraceError, traceFile);
    // One write per line, flushed at once: a crash loses no line and never half of one. A
    // trace that cannot be written (a full disk) is said once; the run goes on without it.
    auto sink = [file, cannotWrite, said = false](const std::string& line) mutable {
        const std::string whole = line + '\n';
        const bool written = std::fwrite(whole.data(), 1, whole.size(), file.get()) == whole.size();
        if ((std::fflush(file.get()) == 0 && written) || said) return;
        said = true;
        std::cerr << kCommandPrefix << cannotWrite << ": " << std::generic_category().message(errno)
                  << '\n';
    };
    return std::make_unique<TracedSerialPort>(std::move(port), std::move(sink),
                                              std::move(portName));
}

}  // namespace tovrel
