// Prints "TOPIC PAYLOAD", one line each, of the discovery config of every variant at every
// address given, under each topic prefix given: print_discovery DISCOVERY_PREFIX ADDRESS
// PREFIX...
#include <cstdlib>
#include <iostream>

#include "publish/discovery.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: print_discovery DISCOVERY_PREFIX ADDRESS PREFIX...\n";
    return 2;
  }
  const auto address = static_cast<std::uint8_t>(std::atoi(argv[2]));
  for (int i = 3; i < argc; ++i) {
    for (unsigned variant = 0; variant <= 3; ++variant) {
      const publish::RetainedMessage config =
          publish::DeviceDiscovery(argv[1], argv[i], address, variant);
      std::cout << config.topic << ' ' << config.payload << '\n';
    }
  }
}
