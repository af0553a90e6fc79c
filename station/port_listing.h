#pragma once

#include <string>
#include <vector>

#include "link/serial_ports.h"

namespace tovrel {

// tovrel --list-ports: a line per port, the COM names that open it (comma-separated, "-" for
// none), its device, and "built-in" or "USB" with the adapter's ids and what it tells of
// itself (each text quoted as in JSON); an adapter with a stable name has a second line, two
// blanks and that name:
//   COM3  /dev/ttyUSB0  USB 1a2b:3c4d  maker "Serial Works"  product "USB UART"  serial "SW1"
//     /dev/serial/by-id/usb-Serial_Works_USB_UART_SW1-if00-port0
std::string ListedPortText(const DetectedPort& port, const std::vector<std::string>& comports);

// With --json: one object per port on a line of its own, every key always there (null where
// nothing is known):
//   {"device": "/dev/ttyS0", "by_id": null, "comports": ["COM1"], "usb": false,
//    "vendor_id": null, "product_id": null, "maker": null, "product": null, "serial": null}
std::string ListedPortJson(const DetectedPort& port, const std::vector<std::string>& comports);

}  // namespace tovrel
