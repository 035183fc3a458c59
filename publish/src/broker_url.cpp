#include "publish/broker_url.h"

#include <charconv>

namespace publish {
namespace {

constexpr int kMqttPort = 1883;
constexpr int kMqttsPort = 8883;

ParsedUrl Refused(std::string_view text, std::string_view why) {
  std::string message = "\"";
  message.append(text).append("\" is not mqtt://[USER@]HOST[:PORT]/PREFIX: ").append(why);
  return {std::nullopt, std::move(message)};
}

// MQTT gives '+' and '#' a meaning in subscriptions; a prefix holding them could not be
// subscribed to as it is.
bool PrefixUsable(std::string_view prefix) {
  if (prefix.empty() || prefix.back() == '/') return false;
  return prefix.find_first_of("+#") == std::string_view::npos &&
         prefix.find("//") == std::string_view::npos;
}

}  // namespace

ParsedUrl ParseBrokerUrl(std::string_view text) {
  BrokerUrl url;
  std::string_view rest = text;
  if (rest.starts_with("mqtt://")) {
    rest.remove_prefix(7);
  } else if (rest.starts_with("mqtts://")) {
    url.tls = true;
    rest.remove_prefix(8);
  } else {
    return Refused(text, "it starts with neither mqtt:// nor mqtts://");
  }
  const std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return Refused(text, "the topic prefix is missing");
  std::string_view authority = rest.substr(0, slash);
  const std::string_view prefix = rest.substr(slash + 1);
  if (!PrefixUsable(prefix)) {
    return Refused(text, "the topic prefix must be given, without '+', '#', '//' or a final '/'");
  }
  url.prefix = std::string(prefix);
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
    url.user = std::string(authority.substr(0, at));
    if (url.user.empty()) return Refused(text, "the user name before '@' is empty");
    if (url.user.find(':') != std::string::npos) {
      return Refused(text,
                     "a password does not go in the URL (VLK240_MQTT_PASSWORD or --password-file)");
    }
    authority.remove_prefix(at + 1);
  }
  url.port = url.tls ? kMqttsPort : kMqttPort;
  if (const std::size_t colon = authority.rfind(':');
      colon != std::string_view::npos && authority.find(']', colon) == std::string_view::npos) {
    const std::string_view port = authority.substr(colon + 1);
    int value = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (port.empty() || error != std::errc() || end != port.data() + port.size() || value < 1 ||
        value > 65535) {
      return Refused(text, "the port must be a number from 1 to 65535");
    }
    url.port = value;
    authority = authority.substr(0, colon);
  }
  if (authority.size() > 2 && authority.front() == '[' && authority.back() == ']') {
    authority = authority.substr(1, authority.size() - 2);
  }
  if (authority.empty()) return Refused(text, "the host is missing");
  url.host = std::string(authority);
  return {url, {}};
}

}  // namespace publish
