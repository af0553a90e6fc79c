#pragma once

#include "link/link.h"

namespace tovrel {

// 'C' (code only) or 'A' (code and data) by EraseMode; true when the device answered 06.
bool EraseFunction(Link& link);

}  // namespace tovrel
