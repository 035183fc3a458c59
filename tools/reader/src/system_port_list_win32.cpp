#include "platform/port_names.h"
#include "platform/present_ports.h"
#include "reader/system_port_list.h"
#include "reader/windows_port_list.h"

namespace reader {

void PrintComPorts(const std::vector<platform::ComPortEntry>& ports, std::ostream& out) {
  if (ports.empty()) {
    out << "No COM ports found.\n";
    return;
  }
  for (const platform::ComPortEntry& port : ports) {
    std::string line = port.name + "  " + port.device;
    const std::string path = platform::ResolvePortName(port.name);
    std::string mapped;
    for (int n = 1; n <= platform::kMenuComPorts; ++n) {
      const std::string menu = "COM" + std::to_string(n);
      if (menu != port.name && platform::ResolvePortName(menu) == path) mapped += " " + menu;
    }
    if (!mapped.empty()) line += "  =" + mapped;
    out << line << '\n';
  }
}

int ListSystemPorts(std::ostream& out) {
  PrintComPorts(platform::ReadComPorts(platform::kSerialCommKey), out);
  return 0;
}

}  // namespace reader
