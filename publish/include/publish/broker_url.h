#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace publish {

// mqtt://[USER@]HOST[:PORT]/PREFIX or mqtts://...; the password never comes in it.
struct BrokerUrl {
  bool tls = false;
  std::string user;  // empty: no user name is sent
  std::string host;
  int port = 0;        // 1883, or 8883 with TLS, unless given
  std::string prefix;  // the topics' first levels, without a trailing '/'
};

struct ParsedUrl {
  std::optional<BrokerUrl> url;
  std::string error;  // why the text is not a broker URL; empty when it is
};

ParsedUrl ParseBrokerUrl(std::string_view text);

}  // namespace publish
