// --list-ports on Windows: the COM ports of platform/serial_comm_ports.h, one line each.
#pragma once

#include <ostream>
#include <vector>

#include "platform/serial_comm_ports.h"

namespace reader {

// One line per port: the port, its device, and the menu names COM1..COM4 that VLK240_COMn
// maps to it; or a line that says there are none.
void PrintComPorts(const std::vector<platform::ComPortEntry>& ports, std::ostream& out);

}  // namespace reader
