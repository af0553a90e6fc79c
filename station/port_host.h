#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/host.h"
#include "station/bench_output.h"

namespace tovrel {

// What the hosts of a bench run's ports share.
struct PortHostContext {
    std::vector<std::string> words;  // the classic words of the command line
    std::string programFolder;
    const Translator* translator = nullptr;
    bool confirmSerialSafe = false;  // TOVREL_CONFIRM_SERIAL_SAFE=yes
    BenchOutput* output = nullptr;
    // The signal that stops the boards in progress; 0 while none does.
    std::function<int()> stopSignal;
};

// The host of one bench port: nobody answers a dialog, every message and note goes to the
// bench's output under the port's name, and nothing waits for a window.
class PortHost : public Host {
  public:
    PortHost(const PortHostContext& context, std::string port)
        : m_context(context), m_port(std::move(port)) {}

    using Host::MessageBox;
    void MessageBox(const std::string& text, const std::string& title,
                    const std::string& details) override;
    std::string OpenFileDialog(const std::string& filter) override;
    void ShowSerialSafeWarning(std::function<void(bool yes)> answer) override;
    void ProcessEventsUntil(const std::function<bool()>& done) override { (void)done; }
    void Pause(float seconds) override;
    std::vector<std::string> CommandLineWords() const override { return m_context.words; }
    std::string ProgramFolder() const override { return m_context.programFolder; }
    std::string Translate(const char* text) const override;
    int StopSignal() const override { return m_context.stopSignal(); }

  private:
    const PortHostContext& m_context;
    std::string m_port;
};

}  // namespace tovrel
