#include <gtest/gtest.h>

#include "publish/broker_url.h"
#include "publish/record_queue.h"
#include "publish/state_payload.h"

namespace publish {
namespace {

TEST(BrokerUrl, TakesUserHostPortAndPrefixAndRefusesTheRest) {
  const BrokerUrl url = *ParseBrokerUrl("mqtts://reader@broker.plant:8884/site/line1").url;
  EXPECT_TRUE(url.tls);
  EXPECT_EQ(url.user, "reader");
  EXPECT_EQ(url.host, "broker.plant");
  EXPECT_EQ(url.port, 8884);
  EXPECT_EQ(url.prefix, "site/line1");
  EXPECT_EQ(ParseBrokerUrl("mqtt://[::1]/p").url->host, "::1");
  EXPECT_EQ(ParseBrokerUrl("mqtt://h/p").url->port, 1883);
  EXPECT_EQ(ParseBrokerUrl("mqtts://h/p").url->port, 8883);
  for (const char* bad : {"http://h/p", "mqtt://h", "mqtt://h/", "mqtt:///p", "mqtt://h:0/p",
                          "mqtt://h:x/p", "mqtt://h/a/#", "mqtt://h/a+b", "mqtt://u:pw@h/p",
                          "mqtt://@h/p", "mqtt://h/a//b"}) {
    const ParsedUrl parsed = ParseBrokerUrl(bad);
    EXPECT_FALSE(parsed.url) << bad;
    EXPECT_NE(parsed.error.find(bad), std::string::npos) << parsed.error;
  }
}

TEST(StatePayload, AddsTheSequenceAndWhatWasDropped) {
  EXPECT_EQ(StatePayload(R"({"address":1})", 7, 0), R"({"address":1,"seq":7})");
  EXPECT_EQ(StatePayload(R"({"address":1})", 8, 3), R"({"address":1,"seq":8,"dropped":3})");
}

// Records leave in order once acknowledged; a lost connection hands them all back; a full
// queue drops the oldest, and only the next record handed over says so, once.
TEST(RecordQueue, KeepsOrderUntilAcknowledgedAndDropsTheOldestWhenFull) {
  RecordQueue queue(3);
  for (std::uint64_t seq = 1; seq <= 5; ++seq) EXPECT_EQ(queue.Push(1, R"({"a":1})"), seq);
  EXPECT_EQ(queue.Size(), 3u);
  EXPECT_EQ(queue.DroppedTotal(), 2u);
  QueuedRecord* first = queue.NextWaiting();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->payload, R"({"a":1,"seq":3,"dropped":2})");
  queue.MarkHandedOver(*first, 11);
  QueuedRecord* second = queue.NextWaiting();
  EXPECT_EQ(second->payload, R"({"a":1,"seq":4})");
  queue.MarkHandedOver(*second, 12);

  queue.HandBackAll();
  EXPECT_EQ(queue.NextWaiting()->payload, R"({"a":1,"seq":3,"dropped":2})");
  queue.MarkHandedOver(*queue.NextWaiting(), 21);
  queue.Acknowledged(11);  // an earlier copy's acknowledgement changes nothing
  EXPECT_EQ(queue.Size(), 3u);
  queue.Acknowledged(21);
  EXPECT_EQ(queue.Size(), 2u);
  EXPECT_EQ(queue.HandedOver(), 0u);
  EXPECT_EQ(queue.NextWaiting()->seq, 4u);
}

}  // namespace
}  // namespace publish
