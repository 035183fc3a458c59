#include "publish/publisher.h"

#include <mosquitto.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>

#include "publish/discovery.h"
#include "publish/state_payload.h"
#include "tls_failure.h"

namespace publish {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr seconds kFirstBackoff{1};
constexpr seconds kLongestBackoff{30};
constexpr milliseconds kOfflineWait{2000};
constexpr int kLoopTimeoutMs = 100;
// Records with the broker and not yet acknowledged, at most; the rest wait in order.
constexpr std::size_t kHandedOverLimit = 20;
// CONNACK codes of MQTT 3.1.1 that say who we are was refused.
constexpr int kBadCredentials = 4;
constexpr int kNotAuthorised = 5;

void InitLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

std::string LibraryError(int rc, int error_number = errno) {
  if (rc == MOSQ_ERR_ERRNO) return std::strerror(error_number);
  return mosquitto_strerror(rc);
}

// The library goes on writing a TLS handshake to a socket whose connection was refused, without
// ever saying so; the socket itself tells, after the turns the library has to read what a
// broker that refused us sent before it closed.
constexpr int kBrokenTurns = 3;
bool SocketBroken(struct mosquitto* client) {
  pollfd socket{mosquitto_socket(client), 0, 0};
  return socket.fd >= 0 && poll(&socket, 1, 0) == 1 && (socket.revents & (POLLERR | POLLHUP)) != 0;
}

}  // namespace

Publisher::Publisher(Settings settings, Spool::Opening spool)
    : settings_(std::move(settings)), queue_(settings_.queue_limit, std::move(spool)) {}

std::string Publisher::Broker() const {
  return "broker " + settings_.url.host + ":" + std::to_string(settings_.url.port);
}

Publisher::StartResult Publisher::Start(const Settings& settings) {
  InitLibraryOnce();
  Spool::Opening spool;
  if (!settings.spool_directory.empty()) {
    spool = Spool::Open(settings.spool_directory);
    if (spool.failure == Spool::Failure::kHeld) return {nullptr, spool.error, true};
  }
  std::unique_ptr<Publisher> p(new Publisher(settings, std::move(spool)));
  p->TellSpoolError();
  if (p->queue_.Size() > 0) {
    p->Notice("spool " + settings.spool_directory + ": " + std::to_string(p->queue_.Size()) +
              " records of an earlier run wait to be published");
  }
  p->client_ = mosquitto_new(nullptr, true, p.get());
  if (p->client_ == nullptr)
    return {nullptr, "cannot make an MQTT client: " + LibraryError(MOSQ_ERR_ERRNO)};
  mosquitto_threaded_set(p->client_, true);
  const BrokerUrl& url = settings.url;
  if (!url.user.empty()) {
    mosquitto_username_pw_set(p->client_, url.user.c_str(),
                              settings.password ? settings.password->c_str() : nullptr);
  }
  if (url.tls) {
    // Without a CA file the system's authorities vouch for the broker.
    const bool own_ca = !settings.ca_file.empty();
    const int rc =
        mosquitto_tls_set(p->client_, own_ca ? settings.ca_file.c_str() : nullptr,
                          own_ca ? nullptr : "/etc/ssl/certs",
                          settings.cert_file.empty() ? nullptr : settings.cert_file.c_str(),
                          settings.key_file.empty() ? nullptr : settings.key_file.c_str(), nullptr);
    if (rc != MOSQ_ERR_SUCCESS) {
      return {nullptr, "the TLS files cannot be used (--ca-file, --cert-file, --key-file): " +
                           LibraryError(rc)};
    }
  }
  const std::string status = url.prefix + "/status";
  mosquitto_will_set(p->client_, status.c_str(), 7, "offline", 1, true);
  mosquitto_connect_callback_set(p->client_, &Publisher::OnConnect);
  mosquitto_disconnect_callback_set(p->client_, &Publisher::OnDisconnect);
  mosquitto_publish_callback_set(p->client_, &Publisher::OnPublish);
  mosquitto_message_callback_set(p->client_, &Publisher::OnMessage);
  mosquitto_log_callback_set(p->client_, &Publisher::OnLog);

  // The connection is made, and its answer waited for, by the loop, so that a broker that does
  // not answer holds neither the polls nor the end for long.
  const int rc =
      mosquitto_connect_async(p->client_, url.host.c_str(), url.port, settings.keepalive_seconds);
  const int error_number = errno;
  if (rc == MOSQ_ERR_EAI) return {nullptr, "cannot find the broker's host " + url.host};
  if (rc != MOSQ_ERR_SUCCESS) {
    const std::lock_guard lock(p->mutex_);
    p->ConnectionFailed(rc, error_number);
    // On the loopback the handshake may start, and be refused, within the call.
    if (!p->start_refusal_.empty()) return {nullptr, p->start_refusal_};
  }
  p->loop_ = std::thread(&Publisher::Run, p.get());
  return {std::move(p), {}};
}

Publisher::~Publisher() {
  if (loop_.joinable()) Stop(milliseconds(0));
  if (client_ != nullptr) mosquitto_destroy(client_);
}

void Publisher::Run() {
  bool socket_up = link_ != Link::kDown;
  int broken_turns = 0;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      if (stopping_) break;
      if (!socket_up) {
        // Waits, then tries again; Stop cuts the wait short. After a refusal at the start
        // only the stop is waited for.
        if (!start_refusal_.empty()) changed_.wait(lock, [this] { return stopping_; });
        if (!std::exchange(retry_at_once_, false)) {
          changed_.wait_for(lock, backoff_, [this] { return stopping_; });
        }
        if (stopping_) break;
        ++attempts_;
        backoff_ =
            std::min(backoff_ * 2, std::chrono::duration_cast<milliseconds>(kLongestBackoff));
      }
    }
    if (!socket_up) {
      {
        const std::lock_guard lock(logged_mutex_);
        logged_errors_.clear();
      }
      const int rc = mosquitto_reconnect_async(client_);
      const int error_number = errno;
      if (rc != MOSQ_ERR_SUCCESS) {
        const std::lock_guard lock(mutex_);
        ConnectionFailed(rc, error_number);
        continue;
      }
      socket_up = true;
    }
    const int rc = mosquitto_loop(client_, kLoopTimeoutMs, 1);
    const int error_number = errno;
    if (rc != MOSQ_ERR_SUCCESS) {
      socket_up = false;
      broken_turns = 0;
      const std::lock_guard lock(mutex_);
      ConnectionFailed(rc, error_number);
      continue;
    }
    broken_turns = settings_.url.tls && SocketBroken(client_) ? broken_turns + 1 : 0;
    if (broken_turns < kBrokenTurns) continue;
    broken_turns = 0;
    const std::lock_guard lock(mutex_);
    if (link_ != Link::kUp) {
      socket_up = false;
      LinkDown("the connection was refused or broken before the TLS handshake ended");
    }
  }
  // The DISCONNECT goes out, so the broker keeps its Last Will to itself.
  mosquitto_disconnect(client_);
  int turns = 10;
  while (turns-- > 0 && mosquitto_loop(client_, kLoopTimeoutMs, 1) == MOSQ_ERR_SUCCESS) continue;
}

void Publisher::Publish(Record record) {
  const std::lock_guard lock(mutex_);
  Instrument& instrument = instruments_[record.address];
  const bool availability_changed = instrument.health.Take(record);
  if (settings_.discovery_prefix && record.variant && instrument.variant != record.variant) {
    instrument.variant = record.variant;
    if (link_ == Link::kUp) PublishDiscovery(record.address, instrument);
  }
  if (availability_changed && link_ == Link::kUp) PublishAvailability(record.address, instrument);
  queue_.Push(record.address, WithFields(record.json, instrument.health.JsonFields()));
  TellSpoolError();
  HandOverWaiting();
}

std::vector<std::string> Publisher::TakeNotices() {
  const std::lock_guard lock(mutex_);
  return std::exchange(notices_, {});
}

std::string Publisher::StartRefusal() {
  const std::lock_guard lock(mutex_);
  return start_refusal_;
}

Publisher::Health Publisher::CurrentHealth() {
  const std::lock_guard lock(mutex_);
  // Connected, the records handed over are on their way; away, they wait with the rest.
  const bool up = link_ == Link::kUp;
  return {up, up ? queue_.Size() - queue_.HandedOver() : queue_.Size()};
}

std::size_t Publisher::Stop(milliseconds wait) {
  std::unique_lock lock(mutex_);
  if (stopping_) return queue_.Size();
  // A connection still being made may yet come, or bring the broker's refusal.
  changed_.wait_for(lock, wait, [this] {
    return link_ == Link::kDown || (link_ == Link::kUp && queue_.Size() == 0);
  });
  const std::size_t left = queue_.Size();
  if (left > 0 && queue_.Spooled()) {
    Notice("spool " + settings_.spool_directory + ": " + std::to_string(left) +
           " records wait there for the next start");
  }
  if (link_ == Link::kUp) {
    const std::string status = settings_.url.prefix + "/status";
    int mid = 0;
    if (mosquitto_publish(client_, &mid, status.c_str(), 7, "offline", 1, true) ==
        MOSQ_ERR_SUCCESS) {
      offline_mid_ = mid;
      changed_.wait_for(lock, kOfflineWait,
                        [this] { return offline_acknowledged_ || link_ != Link::kUp; });
    }
  }
  stopping_ = true;
  changed_.notify_all();
  lock.unlock();
  loop_.join();
  return left;
}

void Publisher::HandOverWaiting() {
  if (link_ != Link::kUp) return;
  while (queue_.HandedOver() < kHandedOverLimit) {
    QueuedRecord* record = queue_.NextWaiting();
    if (record == nullptr) return;
    const std::string topic =
        settings_.url.prefix + "/" + std::to_string(record->address) + "/state";
    int mid = 0;
    if (mosquitto_publish(client_, &mid, topic.c_str(), static_cast<int>(record->payload.size()),
                          record->payload.data(), 1, true) != MOSQ_ERR_SUCCESS) {
      return;  // the connection went; the record goes again after the next connect
    }
    queue_.MarkHandedOver(*record, mid);
  }
}

void Publisher::PublishDiscovery(std::uint8_t address, Instrument& instrument) {
  std::vector<RetainedMessage> messages;
  if (!instrument.announced) {
    messages = EntityConfigRemovals(*settings_.discovery_prefix, settings_.url.prefix, address);
  }
  messages.push_back(DeviceDiscovery(*settings_.discovery_prefix, settings_.url.prefix, address,
                                     *instrument.variant));
  bool sent = true;
  for (const RetainedMessage& m : messages) {
    sent = mosquitto_publish(client_, nullptr, m.topic.c_str(), static_cast<int>(m.payload.size()),
                             m.payload.data(), 1, true) == MOSQ_ERR_SUCCESS &&
           sent;
  }
  instrument.announced = instrument.announced || sent;
}

void Publisher::PublishAvailability(std::uint8_t address, const Instrument& instrument) {
  const std::string_view availability = instrument.health.Availability();
  if (availability.empty()) return;
  const std::string topic = AvailabilityTopic(settings_.url.prefix, address);
  mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(availability.size()),
                    availability.data(), 1, true);
}

void Publisher::AnnounceAll() {
  for (auto& [address, instrument] : instruments_) {
    PublishAvailability(address, instrument);
    if (settings_.discovery_prefix && instrument.variant) PublishDiscovery(address, instrument);
  }
  if (settings_.discovery_prefix) {
    const std::string status = *settings_.discovery_prefix + "/status";
    mosquitto_subscribe(client_, nullptr, status.c_str(), 1);
  }
}

void Publisher::TellSpoolError() {
  const std::string error = queue_.TakeSpoolError();
  if (!error.empty()) Notice(error + "; polling goes on, records wait in memory only");
}

void Publisher::Notice(std::string text) { notices_.push_back(std::move(text)); }

void Publisher::LinkDown(const std::string& reason) {
  if (link_ == Link::kDown) return;
  // A refusal was told as it came.
  if (link_ == Link::kUp) {
    Notice(Broker() + " lost (" + reason + "); polling goes on, records wait");
  } else if (refusal_ == 0) {
    Notice(Broker() + " cannot be reached (" + reason + "); polling goes on, records wait");
  }
  link_ = Link::kDown;
  changed_.notify_all();
}

void Publisher::ConnectionFailed(int rc, int error_number) {
  std::string logged;
  {
    const std::lock_guard lock(logged_mutex_);
    logged = logged_errors_;
  }
  // Only a handshake's errors say why a connection did not come; a TLS connection that was up
  // and went is told by the library's code.
  const TlsFailure tls =
      settings_.url.tls && link_ != Link::kUp ? ExplainTlsFailure(logged) : TlsFailure{};
  std::string reason = tls.meaning;
  if (reason.empty() && rc == MOSQ_ERR_KEEPALIVE) {
    const std::string keepalive =
        "within the keep-alive, " + std::to_string(settings_.keepalive_seconds) + " s";
    reason = link_ == Link::kUp ? "no answer " + keepalive
                                : "it took the connection but did not answer " + keepalive;
  }
  // A broker that refuses our certificate closes at once, and a reset may take its alert with
  // it: the first attempt's TLS connection that broke unexplained is tried again at once.
  if (settings_.url.tls && !ever_up_ && attempts_ == 0 && reason.empty() &&
      rc != MOSQ_ERR_KEEPALIVE && link_ == Link::kConnecting) {
    retry_at_once_ = true;
    return;
  }
  if (reason.empty()) reason = LibraryError(rc, error_number);
  if (tls.refusal && !ever_up_ && start_refusal_.empty()) {
    // Told as the read's end, not as a notice.
    start_refusal_ = Broker() + ": " + reason;
    link_ = Link::kDown;
    changed_.notify_all();
    return;
  }
  LinkDown(reason);
}

void Publisher::OnConnect(struct mosquitto*, void* self, int rc) {
  auto& p = *static_cast<Publisher*>(self);
  const std::lock_guard lock(p.mutex_);
  if (rc != 0) {
    if ((rc == kBadCredentials || rc == kNotAuthorised) && !p.ever_up_) {
      p.start_refusal_ = p.Broker() + " refused the credentials: " + mosquitto_connack_string(rc);
    } else if (p.refusal_ != rc) {
      p.Notice(p.Broker() + " refused the connection: " + mosquitto_connack_string(rc));
    }
    p.refusal_ = rc;
    p.link_ = Link::kDown;
    p.changed_.notify_all();
    return;
  }
  p.Notice(p.Broker() + (p.ever_up_ ? " connected again" : " connected") + ", publishing to " +
           p.settings_.url.prefix + "/");
  p.refusal_ = 0;
  p.ever_up_ = true;
  p.link_ = Link::kUp;
  p.backoff_ = kFirstBackoff;
  const std::string status = p.settings_.url.prefix + "/status";
  mosquitto_publish(p.client_, nullptr, status.c_str(), 6, "online", 1, true);
  p.AnnounceAll();
  p.queue_.HandBackAll();
  p.HandOverWaiting();
  p.changed_.notify_all();
}

void Publisher::OnDisconnect(struct mosquitto*, void* self, int rc) {
  auto& p = *static_cast<Publisher*>(self);
  const std::lock_guard lock(p.mutex_);
  // The library may tell a failed handshake here before its loop returns the failure.
  if (!p.stopping_) p.ConnectionFailed(rc, errno);
}

void Publisher::OnPublish(struct mosquitto*, void* self, int mid) {
  auto& p = *static_cast<Publisher*>(self);
  const std::lock_guard lock(p.mutex_);
  if (p.offline_mid_ == mid) p.offline_acknowledged_ = true;
  p.queue_.Acknowledged(mid);
  p.TellSpoolError();
  p.HandOverWaiting();
  p.changed_.notify_all();
}

void Publisher::OnLog(struct mosquitto*, void* self, int level, const char* text) {
  if ((level & MOSQ_LOG_ERR) == 0) return;
  auto& p = *static_cast<Publisher*>(self);
  const std::lock_guard lock(p.logged_mutex_);
  p.logged_errors_.append(text).push_back('\n');
}

void Publisher::OnMessage(struct mosquitto*, void* self, const struct mosquitto_message* message) {
  auto& p = *static_cast<Publisher*>(self);
  const std::lock_guard lock(p.mutex_);
  // A retained "online" comes with every subscription, just after the connect announced all.
  if (message->retain || p.link_ != Link::kUp || !p.settings_.discovery_prefix) return;
  const std::string_view payload(static_cast<const char*>(message->payload),
                                 static_cast<std::size_t>(message->payloadlen));
  if (message->topic != *p.settings_.discovery_prefix + "/status" || payload != "online") return;
  for (auto& [address, instrument] : p.instruments_) {
    if (instrument.variant) p.PublishDiscovery(address, instrument);
  }
}

}  // namespace publish
