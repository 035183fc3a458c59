// Port names -> device paths.
//
// The component opens "\\.\" followed by the port name, as on Windows. The name
// then resolves by the rule of the system the program runs on, first match
// wins.
// On Linux:
//   1. A name starting with "/" is a device path and is used as it stands
//      ("/dev/ttyUSB0", "/dev/pts/3").
//   2. "COMn" (n = 1..255, letters in any case): the environment variable
//      VLK240_COMn, when set and not empty, names the device
//      (VLK240_COM1=/dev/ttyUSB0).
//   3. "COMn" otherwise: /dev/ttyS(n-1), so COM1 is /dev/ttyS0.
//   Anything else resolves to nothing and the open fails with "file not found".
// On Windows, where COMn is the system's own name:
//   1. "COMn": VLK240_COMn, when set and not empty, names another port
//      (VLK240_COM1=COM7 opens "\\.\COM7"; a value starting with "\\" is a
//      device path and is used as it stands).
//   2. Otherwise the name itself: "\\.\" followed by it ("\\.\COM3"), or the
//      name as it stands when it already starts with "\\".
//   Only an empty name resolves to nothing.
// Any thread (reads the environment).
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Prefix of the per-port override variables ("VLK240_" + "COM1").
inline constexpr std::string_view kPortOverrideEnvPrefix = "VLK240_";
// The Win32 device namespace prefix that precedes a port name.
inline constexpr std::string_view kDeviceNamespacePrefix = "\\\\.\\";

// The port number of "COMn": 1..255, "COM" in any case, no leading zero;
// 0 for any other name.
int ComPortNumber(std::string_view name);

// The device path for `port_name` (with or without the "\\.\" prefix), or an
// empty string when the name follows none of the rules above. Defined by each
// system's directory (linux/, win32/).
std::string ResolvePortName(std::string_view port_name);

}  // namespace platform
