#include "flash/erase.h"

#include "link/loader_frame.h"

namespace tovrel {

bool EraseFunction(Link& link) {
    const std::uint8_t command = link.settings.EraseMode ? kCmdEraseAll : kCmdEraseCode;
    // The whole erase must be acknowledged within the one reply time-out.
    return SendAndAcknowledge(link, BuildLoaderFrame(command, {}));
}

}  // namespace tovrel
