// The menu's ports on Linux: the serial devices the reader lists, by-id links first-class.
#include "platform/present_ports.h"

#include <algorithm>
#include <regex>

#include "platform/serial_devices.h"

namespace platform {
namespace {

// "usb-FTDI_FT232R_A10K3XYZ-if00-port0" -> "FTDI FT232R A10K3XYZ": the bus and the interface
// say nothing the operator needs to tell one adapter from another.
std::string ShortLinkName(const std::string& link) {
  static const std::regex kBus("^(usb|pci|platform)-");
  static const std::regex kInterface("-if[0-9]+(-port[0-9]+)?$");
  std::string name = std::regex_replace(link, kBus, "", std::regex_constants::format_first_only);
  name = std::regex_replace(name, kInterface, "");
  for (char& c : name) {
    if (c == '_') c = ' ';
  }
  return name.empty() ? link : name;
}

}  // namespace

std::vector<PresentPort> PortsOfDevices(const std::vector<SerialDevice>& devices) {
  std::vector<PresentPort> ports;
  for (const SerialDevice& device : devices) {
    const bool menu_port = !device.com_names.empty();
    if (device.by_id.empty()) ports.push_back({device.path, device.path, menu_port});
    for (const std::string& link : device.by_id) {
      const std::string file = std::filesystem::path(link).filename().string();
      ports.push_back({link, ShortLinkName(file), menu_port});
    }
  }
  return ports;
}

std::vector<PresentPort> PresentPorts() { return PortsOfDevices(FindSerialDevices("/")); }

bool PresentPortName(std::string_view name) {
  // udev's names have no blanks; a saved line with one was not written from the menu.
  return name.rfind("/dev/", 0) == 0 && std::none_of(name.begin(), name.end(), [](char c) {
           return static_cast<unsigned char>(c) <= ' ';
         });
}

}  // namespace platform
