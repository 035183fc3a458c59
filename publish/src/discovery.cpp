#include "publish/discovery.h"

#include <array>
#include <cstdio>

namespace publish {
namespace {

constexpr std::size_t kTopicLimit = 65535;  // MQTT's: a two-byte length
constexpr std::uint8_t kHighestAddress = 247;

// The prefix and names here are the operator's, so they are escaped for JSON.
std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

bool AsciiAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// A value the reply did not carry is null in the record; "None" leaves the entity unknown.
std::string FieldTemplate(std::string_view field) {
  const std::string value = "value_json." + std::string(field);
  return "{{ " + value + " if " + value + " is not none else 'None' }}";
}

std::string RelayTemplate(char relay) {
  const std::string index(1, static_cast<char>(relay - 1));
  return "{{ ('ON' if value_json.relays[" + index +
         "] else 'OFF') if value_json.relays else 'None' }}";
}

struct Component {
  std::string_view key;  // the component's id within the device, and the state's field
  std::string_view platform;
  std::string_view name;
  int channels;  // the variant has at least this many level channels
  std::string_view unit;
  std::string_view device_class;
  std::string_view state_class;
  bool diagnostic;  // the reader's view of the instrument, there while the reader is
};

// The readings first: they are also what readers before device-based discovery announced.
constexpr std::array<Component, 14> kComponents{{
    {"level1", "sensor", "Level 1", 1, "%", "", "measurement", false},
    {"volume1", "sensor", "Volume 1", 1, "%", "", "measurement", false},
    {"level2", "sensor", "Level 2", 2, "%", "", "measurement", false},
    {"volume2", "sensor", "Volume 2", 2, "%", "", "measurement", false},
    // A code, not a quantity: no state class, so no statistics are kept of it.
    {"fault", "sensor", "Fault code", 0, "", "", "", false},
    {"alarm_delay", "sensor", "Alarm delay", 0, "s", "duration", "measurement", false},
    {"selfcal", "sensor", "Self-calibration level", 0, "%", "", "measurement", false},
    {"relay1", "binary_sensor", "Relay 1", 1, "", "", "", false},
    {"relay2", "binary_sensor", "Relay 2", 1, "", "", "", false},
    {"relay3", "binary_sensor", "Relay 3", 1, "", "", "", false},
    {"relay4", "binary_sensor", "Relay 4", 1, "", "", "", false},
    {"unanswered_polls", "sensor", "Unanswered polls", 0, "", "", "measurement", true},
    // Since the reader started: a restart starts again from 0, which this state class allows.
    {"late_replies", "sensor", "Late replies", 0, "", "", "total_increasing", true},
    {"last_good", "sensor", "Last good reading", 0, "", "timestamp", "", true},
}};

// Variant 1 has two level channels, variants 2 and 3 one, variant 0 none.
int Channels(unsigned variant) { return variant == 1 ? 2 : (variant == 2 || variant == 3) ? 1 : 0; }

// An entity id takes lower-case letters, digits and '_'.
std::string EntityId(std::string_view platform, std::string_view device, std::string_view key) {
  std::string id = std::string(platform) + ".";
  for (const char c : device) {
    id += c == '-' ? '_' : (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return id + "_" + std::string(key);
}

std::string ComponentJson(const Component& c, std::string_view device, std::string_view prefix,
                          std::uint8_t address) {
  const std::string base = std::string(prefix) + "/" + std::to_string(address);
  std::string json =
      "{\"p\":" + Quoted(c.platform) + ",\"name\":" + Quoted(c.name) +
      ",\"uniq_id\":" + Quoted(std::string(device) + "_" + std::string(c.key)) +
      ",\"default_entity_id\":" + Quoted(EntityId(c.platform, device, c.key)) +
      ",\"stat_t\":" + Quoted(base + "/state") + ",\"val_tpl\":" +
      Quoted(c.platform == "binary_sensor" ? RelayTemplate(c.key.back()) : FieldTemplate(c.key));
  if (!c.unit.empty()) json += ",\"unit_of_meas\":" + Quoted(c.unit);
  if (!c.device_class.empty()) json += ",\"dev_cla\":" + Quoted(c.device_class);
  if (!c.state_class.empty()) json += ",\"stat_cla\":" + Quoted(c.state_class);
  json += ",\"avty\":[{\"t\":" + Quoted(std::string(prefix) + "/status") + "}";
  // The counts matter most when the instrument is silent, so only the readings go with it.
  if (c.diagnostic) {
    json += "],\"ent_cat\":\"diagnostic\"";
  } else {
    json += ",{\"t\":" + Quoted(AvailabilityTopic(prefix, address)) + "}],\"avty_mode\":\"all\"";
  }
  return json + "}";
}

std::string ConfigTopic(std::string_view discovery_prefix, std::string_view device) {
  return std::string(discovery_prefix) + "/device/" + std::string(device) + "/config";
}

// How readers before device-based discovery named the instrument: other characters than
// letters, digits, '_' and '-' all became '_'.
std::string EntityNode(std::string_view prefix, std::uint8_t address) {
  std::string node;
  for (const char c : "vlk240_" + std::string(prefix) + "_" + std::to_string(address)) {
    node += AsciiAlnum(c) || c == '_' || c == '-' ? c : '_';
  }
  return node;
}

}  // namespace

std::string DiscoveryPrefixError(std::string_view discovery_prefix, std::string_view prefix) {
  if (discovery_prefix.find_first_of("+#") != std::string_view::npos) {
    return "a topic level may not hold '+' or '#'";
  }
  if (discovery_prefix.empty() || discovery_prefix.front() == '/' ||
      discovery_prefix.back() == '/' || discovery_prefix.find("//") != std::string_view::npos) {
    return "a topic level may not be empty";
  }
  if (discovery_prefix.front() == '$') {
    return "topics starting with '$' are the broker's own";
  }
  const std::size_t longest =
      ConfigTopic(discovery_prefix, DeviceId(prefix, kHighestAddress)).size();
  if (longest > kTopicLimit) {
    return "the config topics would be up to " + std::to_string(longest) +
           " bytes, over MQTT's limit of 65535 (they hold PREFIX and the --publish prefix, its "
           "bytes other than letters and digits written as 3)";
  }
  return {};
}

std::string AvailabilityTopic(std::string_view prefix, std::uint8_t address) {
  return std::string(prefix) + "/" + std::to_string(address) + "/availability";
}

std::string DeviceId(std::string_view prefix, std::uint8_t address) {
  std::string id = "vlk240-";
  for (const char c : prefix) {
    if (AsciiAlnum(c)) {
      id += c;
    } else {
      char escape[4];
      std::snprintf(escape, sizeof escape, "_%02x", static_cast<unsigned char>(c));
      id += escape;
    }
  }
  return id + "-" + std::to_string(address);
}

RetainedMessage DeviceDiscovery(std::string_view discovery_prefix, std::string_view prefix,
                                std::uint8_t address, unsigned variant) {
  const std::string device = DeviceId(prefix, address);
  const std::string number = std::to_string(address);
  std::string json = "{\"dev\":{\"ids\":[" + Quoted(device) +
                     "],\"name\":" + Quoted("VLK240T " + std::string(prefix) + " " + number) +
                     ",\"mdl\":" + Quoted("VLK240T variant " + std::to_string(variant)) +
                     "},\"o\":{\"name\":\"vlk240-read\",\"sw\":\"" VLK_VERSION "\"},\"cmps\":{";
  const int channels = Channels(variant);
  for (std::size_t i = 0; i < kComponents.size(); ++i) {
    const Component& c = kComponents[i];
    if (i > 0) json += ',';
    json += Quoted(c.key) + ":";
    json += channels >= c.channels ? ComponentJson(c, device, prefix, address)
                                   : "{\"p\":" + Quoted(c.platform) + "}";
  }
  json += "},\"qos\":1}";
  return {ConfigTopic(discovery_prefix, device), std::move(json)};
}

std::vector<RetainedMessage> EntityConfigRemovals(std::string_view discovery_prefix,
                                                  std::string_view prefix, std::uint8_t address) {
  const std::string node = EntityNode(prefix, address);
  std::vector<RetainedMessage> removals;
  for (const Component& c : kComponents) {
    if (c.diagnostic) continue;
    removals.push_back({std::string(discovery_prefix) + "/" + std::string(c.platform) + "/" + node +
                            "/" + std::string(c.key) + "/config",
                        {}});
  }
  return removals;
}

}  // namespace publish
