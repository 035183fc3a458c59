#include "publish/broker_url.h"

#include <arpa/inet.h>

#include <charconv>

namespace publish {
namespace {

constexpr int kMqttPort = 1883;
constexpr int kMqttsPort = 8883;
constexpr std::size_t kLongestHostName = 253;

ParsedUrl Refused(std::string_view text, std::string_view why) {
  std::string message = "\"";
  message.append(text).append("\" is not mqtt://[USER@]HOST[:PORT]/PREFIX: ").append(why);
  return {std::nullopt, std::move(message)};
}

bool Blank(char c) { return static_cast<unsigned char>(c) <= ' ' || c == '\x7f'; }

// MQTT gives '+' and '#' a meaning in subscriptions; a prefix holding them could not be
// subscribed to as it is.
bool PrefixUsable(std::string_view prefix) {
  if (prefix.empty() || prefix.back() == '/') return false;
  return prefix.find_first_of("+#") == std::string_view::npos &&
         prefix.find("//") == std::string_view::npos;
}

bool HostNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_';
}

// An IPv6 address as inet_pton takes it, with an optional zone ("fe80::1%eth0").
bool Ipv6Address(std::string_view text) {
  const std::size_t percent = text.find('%');
  if (percent != std::string_view::npos && percent + 1 == text.size()) return false;
  const std::string address(text.substr(0, percent));
  in6_addr parsed{};
  return inet_pton(AF_INET6, address.c_str(), &parsed) == 1;
}

// Why `host` (a name or an IPv4 address; brackets already taken off an IPv6 one) cannot be
// looked up; empty when it can. The resolver would only say it found nothing.
std::string HostFault(std::string_view host) {
  if (host.empty()) return "the host is missing";
  if (host.find(':') != std::string_view::npos) {
    return "an IPv6 address goes in brackets (mqtt://[" + std::string(host) + "]/PREFIX)";
  }
  for (const char c : host) {
    if (Blank(c)) return "the host holds a blank or a control character";
    if (static_cast<unsigned char>(c) >= 0x80) {
      return "the host holds a character outside ASCII: a name in another script goes in its "
             "xn-- form";
    }
    if (!HostNameCharacter(c)) {
      return "the host holds '" + std::string(1, c) +
             "': a host name has letters, digits, '-', '_' and '.' only";
    }
  }
  if (host.size() > kLongestHostName) return "the host name is longer than 253 characters";
  const std::string_view labels = host.back() == '.' ? host.substr(0, host.size() - 1) : host;
  if (labels.empty() || labels.front() == '.' || labels.find("..") != std::string_view::npos) {
    return "the host name has an empty part between dots";
  }
  return {};
}

}  // namespace

ParsedUrl ParseBrokerUrl(std::string_view text) {
  if (!text.empty() && Blank(text.front())) return Refused(text, "it begins with a blank");
  if (!text.empty() && Blank(text.back())) return Refused(text, "it ends with a blank");
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
  std::string_view host = authority;
  std::string_view port;
  bool has_port = false;
  if (authority.starts_with('[')) {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos)
      return Refused(text, "the '[' before the host is not closed");
    host = authority.substr(1, close - 1);
    if (!Ipv6Address(host)) {
      return Refused(text, "brackets hold an IPv6 address, not \"" + std::string(host) + "\"");
    }
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty() && !after.starts_with(':')) {
      return Refused(text, "only \":PORT\" may follow the ']' of the host");
    }
    has_port = !after.empty();
    port = has_port ? after.substr(1) : after;
  } else {
    // One colon parts the host from its port; more are an IPv6 address without brackets.
    const std::size_t colon = authority.find(':');
    if (colon != std::string_view::npos &&
        authority.find(':', colon + 1) == std::string_view::npos) {
      host = authority.substr(0, colon);
      port = authority.substr(colon + 1);
      has_port = true;
    }
    if (const std::string fault = HostFault(host); !fault.empty()) return Refused(text, fault);
  }
  if (has_port) {
    int value = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (port.empty() || error != std::errc() || end != port.data() + port.size() || value < 1 ||
        value > 65535) {
      return Refused(text, "the port must be a number from 1 to 65535");
    }
    url.port = value;
  }
  url.host = std::string(host);
  return {url, {}};
}

}  // namespace publish
