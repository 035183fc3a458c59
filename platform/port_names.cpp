#include "platform/port_names.h"

#include <cctype>

namespace platform {

int ComPortNumber(std::string_view name) {
  if (name.size() < 4 || name.size() > 6) return 0;
  for (int i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return 0;
  }
  int number = 0;
  for (char c : name.substr(3)) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
  }
  if (name[3] == '0') return 0;  // "COM0", "COM01": not Windows names
  return number <= 255 ? number : 0;
}

}  // namespace platform
