#include "link/port_names.h"

namespace tovrel {

// In the device namespace, so that COM10 and up open too.
std::string DefaultComportPath(int comport) { return Win32DevicePath(ComportName(comport)); }

}  // namespace tovrel
