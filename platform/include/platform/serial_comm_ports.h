// The COM ports Windows knows, as the registry's HARDWARE\DEVICEMAP\SERIALCOMM lists them: each
// value's name is the driver's device ("\Device\Serial0"), its data the port name ("COM1").
// Windows builds only (win32/serial_comm_ports.cpp). Any thread.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace platform {

struct ComPortEntry {
  std::string name;    // "COM3"
  std::string device;  // "\Device\VCP0"
};

// Where the system lists its ports, under HKEY_LOCAL_MACHINE.
inline constexpr const char* kSerialCommKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// The ports listed under `key_path` of HKEY_LOCAL_MACHINE (or of HKEY_CURRENT_USER, for
// tests), in the order of their numbers; values that name no port are left out. None when the
// key is missing (no serial port was ever plugged in).
std::vector<ComPortEntry> ReadComPorts(const std::string& key_path, bool local_machine = true);

// The names the device manager shows for the ports present, by port name: "COM7" ->
// "USB Serial Port", its friendly name without the closing " (COM7)". Ports whose driver gives
// none are missing.
std::map<std::string, std::string> PortFriendlyNames();

}  // namespace platform
