#include "link/loader_frame.h"

#include "core/bytes.h"

namespace tovrel {

std::vector<std::uint8_t> BuildLoaderFrame(std::uint8_t command,
                                           std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> frame;
    frame.reserve(payload.size() + 5);
    frame.push_back(kFrameStart1);
    frame.push_back(kFrameStart2);
    // The length byte counts the command and the payload; callers keep payloads to 254.
    frame.push_back(static_cast<std::uint8_t>(payload.size() + 1));
    frame.push_back(command);
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(ChecksumByte(std::span(frame).subspan(2)));
    return frame;
}

}  // namespace tovrel
