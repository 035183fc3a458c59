// Port names on Linux: the rule of port_names.h.
#include <cstdlib>

#include "platform/port_names.h"

namespace platform {

std::string ResolvePortName(std::string_view port_name) {
  if (port_name.substr(0, kDeviceNamespacePrefix.size()) == kDeviceNamespacePrefix) {
    port_name.remove_prefix(kDeviceNamespacePrefix.size());
  }
  if (!port_name.empty() && port_name.front() == '/') return std::string(port_name);
  const int number = ComPortNumber(port_name);
  if (number == 0) return {};
  const std::string variable = std::string(kPortOverrideEnvPrefix) + "COM" + std::to_string(number);
  if (const char* value = std::getenv(variable.c_str()); value != nullptr && *value != '\0') {
    return value;
  }
  return "/dev/ttyS" + std::to_string(number - 1);
}

}  // namespace platform
