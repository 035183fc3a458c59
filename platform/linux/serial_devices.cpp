// The serial devices under /sys/class/tty and /dev/serial/by-id.
#include "platform/serial_devices.h"

#include <algorithm>
#include <fstream>
#include <map>

#include "platform/port_names.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

std::string FirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

// Walks up from the tty's device towards the sysfs root looking for the USB
// device.
void AddUsbDetails(const fs::path& device_link, const fs::path& sys_root, SerialDevice& device) {
  std::error_code error;
  fs::path at = fs::canonical(device_link, error);
  if (error) return;
  const fs::path stop = fs::weakly_canonical(sys_root, error);
  for (; !at.empty() && at != stop && at != at.root_path(); at = at.parent_path()) {
    if (fs::exists(at / "idVendor", error) && fs::exists(at / "idProduct", error)) {
      device.usb_id = FirstLine(at / "idVendor") + ":" + FirstLine(at / "idProduct");
      device.manufacturer = FirstLine(at / "manufacturer");
      device.product = FirstLine(at / "product");
      return;
    }
  }
}

void AddSysfsDevices(const fs::path& root, std::map<std::string, SerialDevice>& devices) {
  const fs::path sys = root / "sys";
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(sys / "class" / "tty", error)) {
    const fs::path device_link = entry.path() / "device";
    if (!fs::exists(device_link, error)) continue;
    SerialDevice& device = devices[(fs::path("/dev") / entry.path().filename()).string()];
    AddUsbDetails(device_link, sys, device);
  }
}

// A link counts once its whole path resolves to a character device: one that leads to a
// file or a directory, that goes round in a loop, or whose adapter has gone names no port.
void AddByIdLinks(const fs::path& root, std::map<std::string, SerialDevice>& devices) {
  std::error_code error;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(root / "dev" / "serial" / "by-id", error)) {
    std::error_code unusable;
    const fs::path device = fs::canonical(entry.path(), unusable);
    if (unusable || !fs::is_character_file(device, unusable)) continue;
    devices[device.string()].by_id.push_back("/dev/serial/by-id/" +
                                             entry.path().filename().string());
  }
}

bool MapsTo(const std::string& resolved, const SerialDevice& device) {
  return resolved == device.path ||
         std::find(device.by_id.begin(), device.by_id.end(), resolved) != device.by_id.end();
}

}  // namespace

std::vector<SerialDevice> FindSerialDevices(const fs::path& root) {
  std::map<std::string, SerialDevice> found;
  AddSysfsDevices(root, found);
  AddByIdLinks(root, found);

  std::vector<SerialDevice> devices;
  for (auto& [path, device] : found) {
    device.path = path;
    device.name = fs::path(path).filename().string();
    std::sort(device.by_id.begin(), device.by_id.end());
    for (int n = 1; n <= kMenuComPorts; ++n) {
      const std::string com = "COM" + std::to_string(n);
      if (MapsTo(ResolvePortName(com), device)) device.com_names.push_back(com);
    }
    devices.push_back(std::move(device));
  }
  return devices;
}

}  // namespace platform
