#include "link/link.h"

#include "core/user_texts.h"

namespace tovrel {

bool OpenCommPort(Link& link) {
    Settings& s = link.settings;
    const std::error_code error = link.port.Open(link.portPath(s.Comport), s.PCBaudrate);
    s.PortError = static_cast<bool>(error);
    if (s.PortError) {
        ShowMessage(link.host, OpenPortErrorMessage());
        return false;
    }
    return true;
}

void CloseCommPort(Link& link) {
    link.port.Close();
    link.settings.PortError = false;
}

void Pause(Link& link, float nSecond) { link.host.Pause(nSecond); }

std::error_code WriteMessage(Link& link, std::span<const std::uint8_t> message) {
    return link.port.Write(message);
}

std::size_t ReadReply(Link& link, std::size_t count) {
    return link.port.Read(link.settings.RxBuffer, count, kReplyTimeoutMs);
}

bool SendAndAcknowledge(Link& link, std::span<const std::uint8_t> message) {
    // Whether the write went through does not matter here: only the 06 in time does.
    (void)WriteMessage(link, message);
    return ReadReply(link, 1) != 0 && link.settings.RxBuffer[0] == kAck;
}

}  // namespace tovrel
