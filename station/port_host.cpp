#include "station/port_host.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/user_texts.h"

namespace tovrel {
namespace {

constexpr std::chrono::milliseconds kStopLook{20};  // how often a pause looks for a stop
constexpr const char* kConfirmSerialSafeVariable = "TOVREL_CONFIRM_SERIAL_SAFE";

}  // namespace

void PortHost::MessageBox(const std::string& text, const std::string& title,
                          const std::string& details) {
    m_context.output->Message(m_port, text, title, details);
}

std::string PortHost::OpenFileDialog(const std::string& filter) {
    m_context.output->Note(m_port, Tr(*this, kNoFileDialogNote, filter));
    return {};
}

void PortHost::ShowSerialSafeWarning(std::function<void(bool yes)> answer) {
    const bool yes = m_context.confirmSerialSafe;
    m_context.output->Note(m_port,
                           Tr(*this, yes ? kSerialSafeConfirmedNote : kSerialSafeNotConfirmedNote,
                              kConfirmSerialSafeVariable));
    answer(yes);
}

void PortHost::Pause(float seconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<float>(std::max(seconds, 0.0f)));
    while (StopSignal() == 0 && Clock::now() < end) {
        std::this_thread::sleep_for(std::min<Clock::duration>(end - Clock::now(), kStopLook));
    }
}

std::string PortHost::Translate(const char* text) const {
    return m_context.translator != nullptr ? m_context.translator->Translate(text) : text;
}

}  // namespace tovrel
