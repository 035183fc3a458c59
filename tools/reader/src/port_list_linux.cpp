#include "argument_text.h"
#include "platform/serial_devices.h"
#include "reader/port_list.h"

namespace reader {

namespace fs = std::filesystem;

int RunListPorts(const fs::path& root, std::ostream& out) {
  const std::vector<platform::SerialDevice> devices = platform::FindSerialDevices(root);
  if (devices.empty()) {
    out << "No serial devices found.\n";
    return 0;
  }
  for (const platform::SerialDevice& device : devices) {
    std::string line = PrintableText(device.path);
    if (!device.com_names.empty()) {
      line += "  =";
      for (const std::string& com : device.com_names) line += " " + com;
    }
    if (!device.usb_id.empty()) {
      line.append("  USB ").append(PrintableText(device.usb_id));
      if (!device.manufacturer.empty()) line.append(" ").append(PrintableText(device.manufacturer));
      if (!device.product.empty()) line.append(" ").append(PrintableText(device.product));
    }
    out << line << '\n';
    for (const std::string& link : device.by_id) out << "    " << PrintableText(link) << '\n';
  }
  return 0;
}

}  // namespace reader
