// The serial devices Linux has: what the reader's --list-ports prints and the window's port
// menu offers beyond COM1..COM4. Linux builds only (linux/serial_devices.cpp). Any thread.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/present_ports.h"

namespace platform {

struct SerialDevice {
  std::string name;                // "ttyUSB0"
  std::string path;                // "/dev/ttyUSB0", the key the list is sorted by
  std::vector<std::string> by_id;  // "/dev/serial/by-id/..." links to it
  std::string usb_id;              // "0403:6001" for a USB device, else empty
  std::string manufacturer;        // USB strings where the device has them
  std::string product;
  std::vector<std::string> com_names;  // "COM1".. mapped to it by the platform's rule
};

// The serial devices present under `root` ("/" on a live system; a test passes
// a fake tree): every /sys/class/tty entry with a "device" link, and every
// /dev/serial/by-id link whose whole path resolves to a character device
// (keyed by that device's real path). USB ids and strings come from the first directory
// above the tty's device that has idVendor and idProduct. COM1..COM4 are
// resolved as a port open would (VLK240_COMn or /dev/ttyS(n-1)). Sorted by
// path. Unreadable parts of the tree are skipped.
std::vector<SerialDevice> FindSerialDevices(const std::filesystem::path& root);

// The menu's ports of `devices`: one per /dev/serial/by-id link, shown by the link's short
// form ("usb-FTDI_FT232R_A10K3XYZ-if00-port0" -> "FTDI FT232R A10K3XYZ"); a device without a
// link by its path.
std::vector<PresentPort> PortsOfDevices(const std::vector<SerialDevice>& devices);

}  // namespace platform
