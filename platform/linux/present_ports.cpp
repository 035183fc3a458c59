// The menu's ports on Linux: the serial devices the reader lists, by-id links first-class.
#include "platform/present_ports.h"

#include <algorithm>
#include <string_view>

#include "platform/serial_devices.h"

namespace platform {
namespace {

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The name without a final "-ifNN" or "-ifNN-portNN".
std::string_view WithoutInterface(std::string_view name) {
  std::string_view rest = name;
  if (const std::size_t port = rest.rfind("-port");
      port != std::string_view::npos && AllDigits(rest.substr(port + 5))) {
    rest = rest.substr(0, port);
  }
  if (const std::size_t at = rest.rfind("-if");
      at != std::string_view::npos && AllDigits(rest.substr(at + 3))) {
    return rest.substr(0, at);
  }
  return name;
}

// "usb-FTDI_FT232R_A10K3XYZ-if00-port0" -> "FTDI FT232R A10K3XYZ": the bus and the interface
// say nothing the operator needs to tell one adapter from another.
std::string ShortLinkName(const std::string& link) {
  std::string_view name = link;
  for (const std::string_view bus : {"usb-", "pci-", "platform-"}) {
    if (name.starts_with(bus)) {
      name.remove_prefix(bus.size());
      break;
    }
  }
  name = WithoutInterface(name);
  std::string shown(name);
  std::replace(shown.begin(), shown.end(), '_', ' ');
  return shown.empty() ? link : shown;
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
