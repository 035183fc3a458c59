// Publishes records read from standard input through a Publisher, for the broker tests to
// give it what the built-in instrument never does (another variant, silence, late replies):
// publish_records URL DISCOVERY_PREFIX, then one line per record, "ADDRESS VARIANT" for
// readings, "ADDRESS -" for an unanswered poll, "ADDRESS VARIANT late" for a late reply.
// "ready" on standard output once connected, and after each record taken.
#include <iostream>
#include <sstream>

#include "publish/broker_url.h"
#include "publish/publisher.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: publish_records URL DISCOVERY_PREFIX\n";
    return 2;
  }
  publish::Settings settings;
  settings.url = *publish::ParseBrokerUrl(argv[1]).url;
  settings.discovery_prefix = argv[2];
  publish::Publisher::StartResult start = publish::Publisher::Start(settings);
  if (!start.publisher) {
    std::cerr << start.error << '\n';
    return 5;
  }
  std::cout << "ready" << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    int address = 0;
    std::string variant;
    std::string late;
    words >> address >> variant >> late;
    publish::Record record;
    record.address = static_cast<std::uint8_t>(address);
    record.time = "2026-01-01T00:00:00.000Z";
    record.answered = variant != "-";
    record.late = late == "late";
    if (record.answered) record.variant = static_cast<unsigned>(std::stoul(variant));
    record.json = "{\"address\":" + std::to_string(address) + "}";
    start.publisher->Publish(std::move(record));
    std::cout << "ready" << std::endl;
  }
  return start.publisher->Stop(std::chrono::seconds(5)) == 0 ? 0 : 1;
}
