#include "publish/broker_url.h"

#include <gtest/gtest.h>

#include <string>

namespace publish {
namespace {

// A host that no resolver could find is the URL's fault, told as such, never a broker's.
TEST(BrokerUrl, NamesWhatIsWrongWithTheHost) {
  const struct {
    const char* url;
    const char* why;
  } refused[] = {
      {"mqtt://::1/x", "an IPv6 address goes in brackets (mqtt://[::1]/PREFIX)"},
      {"mqtt://fe80::1:1883/x", "an IPv6 address goes in brackets"},
      {"mqtt://[]:1/x", "brackets hold an IPv6 address, not \"\""},
      {"mqtt://[broker]/x", "brackets hold an IPv6 address"},
      {"mqtt://[::1/x", "the '[' before the host is not closed"},
      {"mqtt://[::1]1883/x", "only \":PORT\" may follow the ']'"},
      {"mqtt://[::1]:/x", "the port must be a number"},
      {" mqtt://h/x", "it begins with a blank"},
      {"mqtt://h/x\n", "it ends with a blank"},
      {"mqtt:// h/x", "the host holds a blank"},
      {"mqtt://h\t:1883/x", "the host holds a blank"},
      {"mqtt://u@/x", "the host is missing"},
      {"mqtt://:1883/x", "the host is missing"},
      {"mqtt://bro*ker/x", "the host holds '*'"},
      {"mqtt://\xd0\xb1\xd1\x80\xd0\xbe\xd0\xba\xd0\xb5\xd1\x80/x", "outside ASCII"},
      {"mqtt://a..b/x", "an empty part between dots"},
      {"mqtt://.a/x", "an empty part between dots"},
      {"mqtt://./x", "an empty part between dots"},
      {"mqtt://h:1883:1/x", "an IPv6 address goes in brackets"},
  };
  for (const auto& [url, why] : refused) {
    const ParsedUrl parsed = ParseBrokerUrl(url);
    EXPECT_FALSE(parsed.url) << url;
    EXPECT_NE(parsed.error.find(why), std::string::npos) << url << ": " << parsed.error;
  }
  const BrokerUrl v6 = *ParseBrokerUrl("mqtts://u@[fe80::1%eth0]:8884/p").url;
  EXPECT_EQ(v6.host, "fe80::1%eth0");
  EXPECT_EQ(v6.port, 8884);
  EXPECT_EQ(v6.user, "u");
  EXPECT_EQ(ParseBrokerUrl("mqtt://[::ffff:127.0.0.1]/p").url->host, "::ffff:127.0.0.1");
  EXPECT_EQ(ParseBrokerUrl("mqtt://broker.plant./p").url->host, "broker.plant.");
  EXPECT_EQ(ParseBrokerUrl("mqtt://my_broker-2:99/p").url->port, 99);
  // A blank inside the prefix is a topic MQTT allows.
  EXPECT_EQ(ParseBrokerUrl("mqtt://h/site 1").url->prefix, "site 1");
}

}  // namespace
}  // namespace publish
