#pragma once

#include <QString>
#include <vector>

#include "link/serial_ports.h"

class QWidget;

namespace tovrel {

// The "Device..." dialog of the configuration panel: the serial devices of this computer, one
// line each (a USB adapter by its maker, product and serial number, then its device), to be
// opened by the COM port named comport, the one it opens now (at path) chosen at first. The
// index of the device chosen; -1 when none was.
int ChoosePortDevice(QWidget* parent, const QString& comport,
                     const std::vector<DetectedPort>& ports, const std::string& path);

}  // namespace tovrel
