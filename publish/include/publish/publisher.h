#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "publish/broker_url.h"
#include "publish/record.h"
#include "publish/record_queue.h"

struct mosquitto;

namespace publish {

struct Settings {
  BrokerUrl url;
  std::optional<std::string> password;
  std::string ca_file;    // mqtts: the certificate authority that signed the broker's certificate
  std::string cert_file;  // mqtts: a client certificate and its key, when the broker asks one
  std::string key_file;
  std::size_t queue_limit = 10000;
  std::optional<std::string> discovery_prefix;  // Home Assistant's discovery, when given
  int keepalive_seconds = 10;
};

// Publishes records to PREFIX/ADDRESS/state (retained, QoS 1) in the order they came, and
// "online"/"offline" to PREFIX/status (retained; "offline" is also the Last Will). Records
// wait in a bounded queue while the broker cannot be reached; the connection is tried again
// with a back-off from 1 s to 30 s. One thread of its own runs the client library; Publish,
// TakeNotices and Stop are for one other thread.
class Publisher {
 public:
  struct StartResult {
    std::unique_ptr<Publisher> publisher;
    std::string error;  // set when the broker refused us at the start: exit status 5
  };

  // Connects and waits for the broker's answer. Refused credentials, a refused certificate or
  // a host name that does not resolve give an error; a broker that does not answer does not:
  // its records wait.
  static StartResult Start(const Settings& settings);

  Publisher(const Publisher&) = delete;
  Publisher& operator=(const Publisher&) = delete;
  ~Publisher();

  void Publish(Record record);
  // One line per change of the connection's state since the last call.
  std::vector<std::string> TakeNotices();
  // Gives the queue up to `wait` to empty while connected, then says "offline" and
  // disconnects. Returns how many records were not published.
  std::size_t Stop(std::chrono::milliseconds wait);

 private:
  enum class Link { kConnecting, kUp, kDown };

  explicit Publisher(Settings settings);
  void Run();
  void HandOverWaiting();                                         // with mutex_ held
  void PublishDiscovery(std::uint8_t address, unsigned variant);  // with mutex_ held
  void Notice(std::string text);                                  // with mutex_ held
  // The connection is gone or did not come: one line when that is news.  With mutex_ held.
  void LinkDown(const std::string& reason);
  std::string Broker() const;

  static void OnConnect(struct mosquitto*, void* self, int rc);
  static void OnDisconnect(struct mosquitto*, void* self, int rc);
  static void OnPublish(struct mosquitto*, void* self, int mid);

  const Settings settings_;
  struct mosquitto* client_ = nullptr;
  std::thread loop_;

  std::mutex mutex_;
  std::condition_variable changed_;
  RecordQueue queue_;
  std::uint64_t next_seq_ = 1;
  Link link_ = Link::kConnecting;
  bool ever_up_ = false;
  int refusal_ = 0;  // the last CONNACK's refusal code
  bool tls_failed_ = false;
  std::chrono::milliseconds backoff_{1000};
  bool stopping_ = false;
  std::optional<int> offline_mid_;
  bool offline_acknowledged_ = false;
  std::map<std::uint8_t, unsigned> variants_;  // the devices announced for discovery
  std::vector<std::string> notices_;
};

}  // namespace publish
