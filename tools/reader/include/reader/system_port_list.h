// --list-ports: the serial ports of the system the reader runs on, one line each.
#pragma once

#include <ostream>

namespace reader {

// Prints the ports, or says that there are none. Returns the exit status (0). On Linux the
// serial devices of port_list.h; on Windows the COM ports of windows_port_list.h.
int ListSystemPorts(std::ostream& out);

}  // namespace reader
