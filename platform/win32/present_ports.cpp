// The menu's ports on Windows: the registry's COM ports, each with the device manager's name.
#include "platform/present_ports.h"

#include "platform/port_names.h"
#include "platform/serial_comm_ports.h"

namespace platform {
namespace {

// COM1..COM4 open `name` already: it is one of them, or VLK240_COMn sends one of them to it.
bool OpenedByMenu(const std::string& name) {
  const std::string path = ResolvePortName(name);
  for (int n = 1; n <= kMenuComPorts; ++n) {
    const std::string menu = "COM" + std::to_string(n);
    if (menu == name || ResolvePortName(menu) == path) return true;
  }
  return false;
}

}  // namespace

std::vector<PresentPort> PresentPorts() {
  const std::map<std::string, std::string> friendly = PortFriendlyNames();
  std::vector<PresentPort> ports;
  for (const ComPortEntry& entry : ReadComPorts(kSerialCommKey)) {
    PresentPort port{entry.name, entry.name, OpenedByMenu(entry.name)};
    if (const auto found = friendly.find(entry.name); found != friendly.end()) {
      port.label += " (" + found->second + ")";
    }
    ports.push_back(std::move(port));
  }
  return ports;
}

bool PresentPortName(std::string_view name) {
  return name.rfind("COM", 0) == 0 && ComPortNumber(name) != 0;
}

}  // namespace platform
