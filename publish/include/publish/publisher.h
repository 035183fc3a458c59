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
#include "publish/instrument_health.h"
#include "publish/record.h"
#include "publish/record_queue.h"

struct mosquitto;
struct mosquitto_message;

namespace publish {

struct Settings {
  BrokerUrl url;
  std::optional<std::string> password;
  std::string ca_file;    // mqtts: the certificate authority that signed the broker's certificate
  std::string cert_file;  // mqtts: a client certificate and its key, when the broker asks one
  std::string key_file;
  std::size_t queue_limit = 10000;
  // The queue on disk there too (Spool), so that records outlive the process; "" for none.
  std::string spool_directory;
  std::optional<std::string> discovery_prefix;  // Home Assistant's discovery, when given
  int keepalive_seconds = 10;
};

// Publishes records to PREFIX/ADDRESS/state (retained, QoS 1) in the order they came, and
// "online"/"offline" to PREFIX/status (retained; "offline" is also the Last Will) and to each
// instrument's PREFIX/ADDRESS/availability (retained), with Home Assistant's discovery when
// asked, again on Home Assistant's birth message. Records wait in a bounded queue while the
// broker cannot be reached (with a spool, on disk until the broker acknowledges them,
// numbered on from the last run); the connection is tried again with a back-off from 1 s to
// 30 s. One thread of its own runs the client library; Publish, TakeNotices, StartRefusal
// and Stop are for one other thread.
class Publisher {
 public:
  struct StartResult {
    std::unique_ptr<Publisher> publisher;
    std::string error;        // set when publishing cannot start: exit status 5
    bool spool_held = false;  // the error is a spool another process holds
  };

  // Starts connecting and returns at once: the broker's answer is waited for by the thread of
  // its own, and records wait in the queue meanwhile. A host name that does not resolve, or a
  // handshake refused within the call, gives an error; a refusal that comes later is
  // StartRefusal's.
  static StartResult Start(const Settings& settings);

  Publisher(const Publisher&) = delete;
  Publisher& operator=(const Publisher&) = delete;
  ~Publisher();

  void Publish(Record record);
  // One line per change of the connection's state since the last call.
  std::vector<std::string> TakeNotices();
  // Why the broker refused us before we were ever connected: the credentials, or a
  // certificate (exit status 5); empty while it has not. No connection is tried after it.
  std::string StartRefusal();
  // The connection and the records not yet with the broker, as they are now.
  struct Health {
    bool connected = false;
    std::size_t waiting = 0;
  };
  Health CurrentHealth();
  // Gives the queue up to `wait` to empty while connected or still connecting, then says
  // "offline" and disconnects. Returns how many records were not published.
  std::size_t Stop(std::chrono::milliseconds wait);

 private:
  enum class Link { kConnecting, kUp, kDown };

  Publisher(Settings settings, Spool::Opening spool);
  void Run();
  void HandOverWaiting();  // with mutex_ held
  void TellSpoolError();   // with mutex_ held
  struct Instrument {
    InstrumentHealth health;
    std::optional<unsigned> variant;  // the variant last announced for discovery
    bool announced = false;           // its discovery went out since the start
  };
  // The instrument's discovery config; at its first, the removal of older configs too.
  void PublishDiscovery(std::uint8_t address, Instrument& instrument);           // with mutex_ held
  void PublishAvailability(std::uint8_t address, const Instrument& instrument);  // mutex_ held
  // Every instrument's availability and discovery, and the subscription to Home Assistant's
  // status, on each connect.  With mutex_ held.
  void AnnounceAll();
  void Notice(std::string text);  // with mutex_ held
  // The connection is gone or did not come: one line when that is news.  With mutex_ held.
  void LinkDown(const std::string& reason);
  // A connection attempt, or the connection, failed with the library's `rc`: why, in words,
  // and a refusal at the start when it is one.  With mutex_ held.
  void ConnectionFailed(int rc, int error_number);
  std::string Broker() const;

  static void OnConnect(struct mosquitto*, void* self, int rc);
  static void OnDisconnect(struct mosquitto*, void* self, int rc);
  static void OnPublish(struct mosquitto*, void* self, int mid);
  // Keeps the library's error lines of the connection attempt: only they tell why a TLS
  // handshake failed.
  static void OnLog(struct mosquitto*, void* self, int level, const char* text);
  // Home Assistant's birth message: the discovery configs go again.
  static void OnMessage(struct mosquitto*, void* self, const struct mosquitto_message* message);

  const Settings settings_;
  struct mosquitto* client_ = nullptr;
  std::thread loop_;

  std::mutex mutex_;
  std::condition_variable changed_;
  RecordQueue queue_;
  Link link_ = Link::kConnecting;
  bool ever_up_ = false;
  int refusal_ = 0;  // the last CONNACK's refusal code
  std::string start_refusal_;
  int attempts_ = 0;            // connection attempts after the first
  bool retry_at_once_ = false;  // the next attempt without the back-off
  // The library's error lines since the last connection attempt began. A lock of their own:
  // the library logs within calls made with mutex_ held.
  std::mutex logged_mutex_;
  std::string logged_errors_;
  std::chrono::milliseconds backoff_{1000};
  bool stopping_ = false;
  std::optional<int> offline_mid_;
  bool offline_acknowledged_ = false;
  std::map<std::uint8_t, Instrument> instruments_;  // every address polled
  std::vector<std::string> notices_;
};

}  // namespace publish
