#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace publish {

struct RetainedMessage {
  std::string topic;
  std::string payload;
};

// Polls in a row without a valid reply after which an instrument's availability says "offline".
constexpr int kOfflineAfterUnanswered = 3;

// Why Home Assistant's discovery cannot go under `discovery_prefix` for the records under
// `prefix`, in words that follow the prefix; empty when it can. A topic level may hold neither '+'
// nor '#', topics starting with '$' are the broker's own, and the longest config topic must fit
// MQTT's 65 535 bytes.
std::string DiscoveryPrefixError(std::string_view discovery_prefix, std::string_view prefix);

// PREFIX/ADDRESS/availability: "online" while the instrument answers, "offline" after
// kOfflineAfterUnanswered polls without a valid reply.
std::string AvailabilityTopic(std::string_view prefix, std::uint8_t address);

// The discovery id of the instrument at `address` under `prefix`: "vlk240-", the prefix with
// every byte that is not an ASCII letter or digit written "_xx" (its hex), "-", the address.
// Different prefixes give different ids, whatever their characters.
std::string DeviceId(std::string_view prefix, std::uint8_t address);

// Home Assistant's device-based discovery config of the instrument at `address` of `variant`:
// one retained message at DISCOVERY_PREFIX/device/ID/config with the device, the origin and a
// component per reading the variant has (levels and volumes in %, the fault code, the alarm
// delay in s, the self-calibration level in %, a binary sensor per relay) and the diagnostic
// counts. The components that only other variants have are listed by platform alone, which
// removes them where an earlier variant left them. The readings are available while both
// PREFIX/status and the instrument's availability say "online"; the diagnostics while
// PREFIX/status does.
RetainedMessage DeviceDiscovery(std::string_view discovery_prefix, std::string_view prefix,
                                std::uint8_t address, unsigned variant);

// Empty retained messages at the per-entity config topics that readers before device-based
// discovery published for this instrument, which remove those entities.
std::vector<RetainedMessage> EntityConfigRemovals(std::string_view discovery_prefix,
                                                  std::string_view prefix, std::uint8_t address);

}  // namespace publish
