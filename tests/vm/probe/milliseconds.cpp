#include <cstdio>

#include "probe.h"

namespace vm_probe {

std::string Milliseconds(Clock::duration elapsed) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f",
                std::chrono::duration<double, std::milli>(elapsed).count());
  return text;
}

}  // namespace vm_probe
