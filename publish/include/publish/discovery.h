#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace publish {

struct RetainedMessage {
  std::string topic;
  std::string payload;
};

// Home Assistant's MQTT discovery configs of the instrument at `address` of `variant`, under
// `discovery_prefix`: one device per address, a sensor for each level and volume the variant
// has (%), the fault code, the alarm delay (s) and the self-calibration level (%), a binary
// sensor per relay where the variant has relays; each reads PREFIX/ADDRESS/state and is
// available while PREFIX/status says "online".
std::vector<RetainedMessage> DiscoveryConfigs(const std::string& discovery_prefix,
                                              const std::string& prefix, std::uint8_t address,
                                              unsigned variant);

}  // namespace publish
