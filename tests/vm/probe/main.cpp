#include <charconv>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "probe.h"

namespace {

constexpr std::string_view kUsage =
    "usage: vm_probe exchange DEVICE ADDRESS | write DEVICE | exclusive DEVICE | hold DEVICE |\n"
    "       open-as-other DEVICE | status DEVICE\n";

}  // namespace

int main(int argc, char** argv) {
  const std::string_view command = argc > 1 ? argv[1] : "";
  const std::string device = argc > 2 ? argv[2] : "";
  try {
    if (command == "exchange" && argc == 4) {
      int address = 0;
      const std::string_view text = argv[3];
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), address);
      if (error == std::errc() && end == text.data() + text.size()) {
        return vm_probe::RunExchange(device, address);
      }
    } else if (command == "write" && argc == 3) {
      return vm_probe::RunWrite(device);
    } else if (command == "exclusive" && argc == 3) {
      return vm_probe::RunExclusive(device);
    } else if (command == "hold" && argc == 3) {
      return vm_probe::RunHold(device);
    } else if (command == "open-as-other" && argc == 3) {
      return vm_probe::RunOpenAsOther(device);
    } else if (command == "try-open" && argc == 3) {
      return vm_probe::RunTryOpen(device);
    } else if (command == "status" && argc == 3) {
      return vm_probe::RunStatus(device);
    }
  } catch (const std::exception& error) {
    std::cout << "error=\"" << error.what() << "\"" << std::endl;
    return 1;
  }
  std::cerr << kUsage;
  return 2;
}
