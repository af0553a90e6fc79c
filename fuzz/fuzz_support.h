#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/host.h"
#include "link/serial_port.h"

namespace tovrel::fuzzing {

// A host that shows nothing and waits for nothing: only the program's own logic runs.
class QuietHost : public Host {
  public:
    bool serialSafeAnswer = false;
    std::string folder = ".";

    void MessageBox(const std::string&, const std::string&, const std::string&) override {}
    std::string OpenFileDialog(const std::string&) override { return {}; }
    void ShowSerialSafeWarning(std::function<void(bool)> answer) override {
        answer(serialSafeAnswer);
    }
    void ProcessEventsUntil(const std::function<bool()>&) override {}
    void Pause(float) override {}
    std::vector<std::string> CommandLineWords() const override { return {}; }
    std::string ProgramFolder() const override { return folder; }
};

// A port that opens, swallows every message and answers with one fixed reply, once.
class ReplyPort : public SerialPort {
  public:
    explicit ReplyPort(std::span<const std::uint8_t> reply) : m_reply(reply) {}

    std::error_code Open(const std::string&, std::int32_t) override { return {}; }
    void Close() override {}
    std::error_code Write(std::span<const std::uint8_t>) override { return {}; }
    std::size_t Read(std::span<std::uint8_t> buffer, std::size_t count, int) override {
        std::size_t n = std::min({count, buffer.size(), m_reply.size() - m_taken});
        std::copy_n(m_reply.begin() + static_cast<std::ptrdiff_t>(m_taken), n, buffer.begin());
        m_taken += n;
        return n;
    }
    void DiscardInput() override {}
    std::error_code SetDtr(bool) override { return {}; }
    std::error_code SetRts(bool) override { return {}; }

  private:
    std::span<const std::uint8_t> m_reply;
    std::size_t m_taken = 0;
};

// The operations under test read files by path: each input goes to one file per process,
// rewritten for every input, in TMPDIR (run.sh gives each run a folder of its own).
inline const std::string& InputPath() {
    static const std::string path = [] {
        const auto file = std::filesystem::temp_directory_path() /
                          ("tovrel-fuzz-" + std::to_string(::getpid()) + ".txt");
        std::atexit([] { std::remove(InputPath().c_str()); });
        return file.string();
    }();
    return path;
}

inline const std::string& WriteInputFile(const std::uint8_t* data, std::size_t size) {
    const std::string& path = InputPath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    return path;
}

}  // namespace tovrel::fuzzing
