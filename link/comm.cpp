#include "core/user_texts.h"
#include "link/link.h"
#include "link/port_names.h"

namespace tovrel {

bool OpenCommPort(Link& link, bool showFailure) {
    Settings& s = link.settings;
    const std::string path = link.portPath(s.Comport);
    const std::error_code error = link.port.Open(path, s.PCBaudrate);
    link.openError = error;
    s.PortError = static_cast<bool>(error);
    if (s.PortError && showFailure) {
        std::string reason = link.port.OpenErrorText();
        if (reason.empty()) reason = error.message();
        ShowMessage(link.host,
                    OpenPortErrorMessage(PortFailureDetails(PortName(link), path, reason)));
        return false;
    }
    return true;
}

UserMessage PortNotOpenedMessage(const Link& link) {
    if (link.openError != std::errc::no_such_device) return PortHeldMessage();
    return NoSuchDeviceMessage(PortName(link), link.portPath(link.settings.Comport));
}

std::string PortName(const Link& link) {
    if (!link.portLabel.empty()) return link.portLabel;
    return ComportName(link.settings.Comport);
}

void CloseCommPort(Link& link) {
    link.port.Close();
    link.settings.PortError = false;
}

bool SetModemLines(Link& link, const LineSequence& sequence) {
    const std::optional<LineFailure> failure =
        RunLineSequence(link.port, sequence, [&link] { return link.host.StopSignal() != 0; });
    if (!failure) return true;
    const int comport = link.settings.Comport;
    ShowMessage(link.host,
                CannotSetLineMessage(failure->line == LineStep::Kind::Dtr,
                                     PortFailureDetails(PortName(link), link.portPath(comport),
                                                        failure->error.message())));
    return false;
}

void Pause(Link& link, float nSecond) { link.host.Pause(nSecond); }

bool WriteMessage(Link& link, std::span<const std::uint8_t> message, AfterStop afterStop) {
    // The exchange under way when the stop came has ended by now; no other one starts.
    if (link.host.StopSignal() != 0 && afterStop == AfterStop::Withheld) return false;
    // A line that failed takes nothing more.
    if (!link.port.LineError().empty()) return false;
    // Whatever arrived before the message cannot be its answer: a stray or late 06 left in the
    // input would otherwise acknowledge a frame the device refused.
    link.port.DiscardInput();
    // The loader protocol does not look at a failed write: the missing reply tells it.
    (void)link.port.Write(message);
    return true;
}

std::size_t ReadReply(Link& link, std::size_t count) {
    return link.port.Read(link.settings.RxBuffer, count, kReplyTimeoutMs);
}

bool SendAndAcknowledge(Link& link, std::span<const std::uint8_t> message, AfterStop afterStop) {
    return WriteMessage(link, message, afterStop) && ReadReply(link, 1) != 0 &&
           link.settings.RxBuffer[0] == kAck;
}

}  // namespace tovrel
