#include "link/link.h"

namespace tovrel {

bool OpenCommPort(Link& link) {
    Settings& s = link.settings;
    const std::error_code error = link.port.Open(link.portPath(s.Comport), s.PCBaudrate);
    s.PortError = static_cast<bool>(error);
    if (s.PortError) {
        link.host.MessageBox("Error encountered while Opening Port", "Error");
        return false;
    }
    return true;
}

void CloseCommPort(Link& link) {
    link.port.Close();
    link.settings.PortError = false;
}

void Pause(Link& link, float nSecond) { link.host.Pause(nSecond); }

void WriteMessage(Link& link, std::span<const std::uint8_t> message) {
    // Whatever arrived before the message cannot be its answer: a stray or late 06 left in the
    // input would otherwise acknowledge a frame the device refused.
    link.port.DiscardInput();
    link.port.Write(message);
}

std::size_t ReadReply(Link& link, std::size_t count) {
    return link.port.Read(link.settings.RxBuffer, count, kReplyTimeoutMs);
}

bool SendAndAcknowledge(Link& link, std::span<const std::uint8_t> message) {
    WriteMessage(link, message);
    return ReadReply(link, 1) != 0 && link.settings.RxBuffer[0] == kAck;
}

}  // namespace tovrel
