#include "resident_memory.h"

#include <fstream>
#include <sstream>
#include <string>

namespace soak {

std::optional<std::int64_t> ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (!line.starts_with("VmRSS:")) continue;
    std::istringstream fields(line.substr(6));
    std::int64_t kilobytes = 0;
    if (fields >> kilobytes) return kilobytes;
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace soak
