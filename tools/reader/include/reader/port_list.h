// --list-ports on Linux: the serial devices of platform/serial_devices.h, one line each.
#pragma once

#include <filesystem>
#include <ostream>

namespace reader {

// Prints the devices found under `root`, one line each, or says that there are none; what is
// not printable in a name is escaped (argument_text.h). Returns the exit status (0).
int RunListPorts(const std::filesystem::path& root, std::ostream& out);

}  // namespace reader
