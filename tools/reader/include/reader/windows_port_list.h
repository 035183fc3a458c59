// The COM ports Windows knows, as the registry's HARDWARE\DEVICEMAP\SERIALCOMM lists them: each
// value's name is the driver's device ("\Device\Serial0"), its data the port name ("COM1").
// Windows builds only. Any thread.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace reader {

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

// One line per port: the port, its device, and the menu names COM1..COM4 that VLK240_COMn
// maps to it; or a line that says there are none.
void PrintComPorts(const std::vector<ComPortEntry>& ports, std::ostream& out);

}  // namespace reader
