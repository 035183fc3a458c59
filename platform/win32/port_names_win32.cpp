// Port names on Windows: the rule of port_names.h.
#include <cstdlib>

#include "platform/port_names.h"

namespace platform {
namespace {

// "\\.\NAME" for a bare device name; a name that already starts with "\\" is a path.
std::string DevicePath(std::string_view name) {
  if (name.substr(0, 2) == "\\\\") return std::string(name);
  return std::string(kDeviceNamespacePrefix) + std::string(name);
}

}  // namespace

std::string ResolvePortName(std::string_view port_name) {
  if (port_name.substr(0, kDeviceNamespacePrefix.size()) == kDeviceNamespacePrefix) {
    port_name.remove_prefix(kDeviceNamespacePrefix.size());
  }
  if (port_name.empty()) return {};
  if (const int number = ComPortNumber(port_name); number != 0) {
    const std::string variable =
        std::string(kPortOverrideEnvPrefix) + "COM" + std::to_string(number);
    if (const char* value = std::getenv(variable.c_str()); value != nullptr && *value != '\0') {
      return DevicePath(value);
    }
  }
  return DevicePath(port_name);
}

}  // namespace platform
