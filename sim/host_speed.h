#pragma once

namespace tovrel::sim {

// The speeds set on a terminal, in baud, whatever way the host chose to set them.
struct LineSpeed {
    long input = 0;
    long output = 0;
};

// Reads them with the kernel's numeric-speed call; on a pseudo-terminal master it
// reports the settings of the terminal end, which is what the host changed.
bool ReadLineSpeed(int fd, LineSpeed& speed);

}  // namespace tovrel::sim
