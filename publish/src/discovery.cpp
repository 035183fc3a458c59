#include "publish/discovery.h"

#include <string_view>

namespace publish {
namespace {

constexpr int kRelays = 4;

// Discovery ids take letters, digits, '_' and '-' only.
std::string IdText(std::string_view text) {
  std::string id;
  for (const char c : text) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '_' || c == '-';
    id += plain ? c : '_';
  }
  return id;
}

// The prefix and names here are the operator's, so quotes and backslashes are escaped.
std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

struct Entity {
  std::string_view component;  // "sensor" or "binary_sensor"
  std::string object;          // the id within the device
  std::string name;
  std::string value_template;
  std::string_view unit;          // empty: none
  std::string_view device_class;  // empty: none
};

class DeviceConfigs {
 public:
  DeviceConfigs(const std::string& discovery_prefix, const std::string& prefix,
                std::uint8_t address, unsigned variant)
      : discovery_prefix_(discovery_prefix),
        prefix_(prefix),
        node_(IdText("vlk240_" + prefix + "_" + std::to_string(address))),
        state_topic_(prefix + "/" + std::to_string(address) + "/state"),
        device_("{\"identifiers\":[" + Quoted(node_) +
                "],\"name\":" + Quoted("VLK240T " + prefix + " " + std::to_string(address)) +
                ",\"model\":" + Quoted("VLK240T variant " + std::to_string(variant)) + "}") {}

  RetainedMessage Config(const Entity& e) const {
    std::string json = "{\"name\":" + Quoted(e.name) +
                       ",\"unique_id\":" + Quoted(node_ + "_" + e.object) +
                       ",\"object_id\":" + Quoted(node_ + "_" + e.object) +
                       ",\"state_topic\":" + Quoted(state_topic_) +
                       ",\"value_template\":" + Quoted(e.value_template);
    if (!e.unit.empty()) json += ",\"unit_of_measurement\":" + Quoted(e.unit);
    if (!e.device_class.empty()) json += ",\"device_class\":" + Quoted(e.device_class);
    if (e.component == "sensor") json += ",\"state_class\":\"measurement\"";
    json += ",\"availability_topic\":" + Quoted(prefix_ + "/status") +
            ",\"payload_available\":\"online\",\"payload_not_available\":\"offline\""
            ",\"device\":" +
            device_ + "}";
    return {discovery_prefix_ + "/" + std::string(e.component) + "/" + node_ + "/" + e.object +
                "/config",
            json};
  }

 private:
  const std::string& discovery_prefix_;
  const std::string& prefix_;
  std::string node_;
  std::string state_topic_;
  std::string device_;
};

// A value the reply did not carry is null in the record; "None" leaves the entity unknown.
std::string ValueTemplate(std::string_view field) {
  return "{{ value_json." + std::string(field) + " if value_json." + std::string(field) +
         " is not none else 'None' }}";
}

}  // namespace

std::vector<RetainedMessage> DiscoveryConfigs(const std::string& discovery_prefix,
                                              const std::string& prefix, std::uint8_t address,
                                              unsigned variant) {
  const DeviceConfigs device(discovery_prefix, prefix, address, variant);
  // Variant 1 has two level channels, variants 2 and 3 one, variant 0 none.
  const int channels = variant == 1 ? 2 : (variant == 2 || variant == 3) ? 1 : 0;
  std::vector<RetainedMessage> configs;
  for (int channel = 1; channel <= channels; ++channel) {
    const std::string n = std::to_string(channel);
    configs.push_back(
        device.Config({"sensor", "level" + n, "Level " + n, ValueTemplate("level" + n), "%", ""}));
    configs.push_back(device.Config(
        {"sensor", "volume" + n, "Volume " + n, ValueTemplate("volume" + n), "%", ""}));
  }
  configs.push_back(
      device.Config({"sensor", "fault", "Fault code", ValueTemplate("fault"), "", ""}));
  configs.push_back(device.Config(
      {"sensor", "alarm_delay", "Alarm delay", ValueTemplate("alarm_delay"), "s", "duration"}));
  configs.push_back(device.Config(
      {"sensor", "selfcal", "Self-calibration level", ValueTemplate("selfcal"), "%", ""}));
  if (channels > 0) {
    for (int relay = 1; relay <= kRelays; ++relay) {
      const std::string index = std::to_string(relay - 1);
      configs.push_back(device.Config({"binary_sensor", "relay" + std::to_string(relay),
                                       "Relay " + std::to_string(relay),
                                       "{{ ('ON' if value_json.relays[" + index +
                                           "] else 'OFF') if value_json.relays else 'None' }}",
                                       "", ""}));
    }
  }
  return configs;
}

}  // namespace publish
