#include "link/port_names.h"

namespace tovrel {

// Serial devices count from 0 where the list counts from 1.
std::string DefaultComportPath(int comport) { return "/dev/ttyS" + std::to_string(comport - 1); }

}  // namespace tovrel
