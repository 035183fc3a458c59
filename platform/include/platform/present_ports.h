// The serial ports present on this machine, as the window's port menu offers them after its
// items COM1..COM4: each system's own listing (linux/present_ports.cpp, win32/). Any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The menu's own port names are COM1..COM(kMenuComPorts).
inline constexpr int kMenuComPorts = 4;

struct PresentPort {
  std::string name;        // opened and saved by it: "COM7", "/dev/serial/by-id/usb-FTDI_..."
  std::string label;       // shown: "COM7 (USB Serial Port)", "FTDI FT232R A10K3XYZ"
  bool menu_port = false;  // one of COM1..COM4 opens it already (itself or by VLK240_COMn)

  bool operator==(const PresentPort&) const = default;
};

// The ports present now, in the order the system lists them: on Linux each
// /dev/serial/by-id link and every other tty the reader's --list-ports shows; on Windows the
// COM ports of the registry's SERIALCOMM with their friendly names.
std::vector<PresentPort> PresentPorts();

// Whether `name` has the form of a name PresentPorts gives on this system: a device path on
// Linux, "COMn" on Windows. A saved name of that form is opened even while its port is absent.
bool PresentPortName(std::string_view name);

}  // namespace platform
