#include "link/port_names.h"

namespace tovrel {

// The serial port opens the name as Windows spells it (as \\.\COMn, so that COM10 and up open).
std::string DefaultComportPath(int comport) { return ComportName(comport); }

}  // namespace tovrel
