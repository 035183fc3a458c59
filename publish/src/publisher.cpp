#include "publish/publisher.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "publish/discovery.h"

namespace publish {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr seconds kFirstBackoff{1};
constexpr seconds kLongestBackoff{30};
constexpr seconds kConnectAnswerWait{10};
constexpr milliseconds kOfflineWait{2000};
constexpr int kLoopTimeoutMs = 100;
// Records with the broker and not yet acknowledged, at most; the rest wait in order.
constexpr std::size_t kHandedOverLimit = 20;
// CONNACK codes of MQTT 3.1.1 that say who we are was refused.
constexpr int kBadCredentials = 4;
constexpr int kNotAuthorised = 5;
constexpr const char* kTlsRefused =
    ": TLS refused: the broker's certificate is not signed by --ca-file or does not name the "
    "host, or ours was refused";

void InitLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

std::string LibraryError(int rc) {
  if (rc == MOSQ_ERR_ERRNO) return std::strerror(errno);
  return mosquitto_strerror(rc);
}

}  // namespace

Publisher::Publisher(Settings settings)
    : settings_(std::move(settings)), queue_(settings_.queue_limit) {}

std::string Publisher::Broker() const {
  return "broker " + settings_.url.host + ":" + std::to_string(settings_.url.port);
}

Publisher::StartResult Publisher::Start(const Settings& settings) {
  InitLibraryOnce();
  std::unique_ptr<Publisher> p(new Publisher(settings));
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

  // The connection itself is made by the loop, so that a host that does not answer holds
  // neither the start for long nor the end at all.
  const int rc =
      mosquitto_connect_async(p->client_, url.host.c_str(), url.port, settings.keepalive_seconds);
  if (rc == MOSQ_ERR_EAI) return {nullptr, "cannot find the broker's host " + url.host};
  // On the loopback the handshake may start, and fail, within the call.
  if (rc == MOSQ_ERR_TLS) return {nullptr, p->Broker() + kTlsRefused};
  if (rc != MOSQ_ERR_SUCCESS) {
    p->link_ = Link::kDown;
    p->Notice(p->Broker() + " cannot be reached (" + LibraryError(rc) +
              "); polling goes on, records wait");
  }
  p->loop_ = std::thread(&Publisher::Run, p.get());
  if (rc != MOSQ_ERR_SUCCESS) return {std::move(p), {}};

  std::unique_lock lock(p->mutex_);
  p->changed_.wait_for(lock, kConnectAnswerWait, [&] { return p->link_ != Link::kConnecting; });
  const int refusal = p->refusal_;
  const bool tls_failed = p->link_ == Link::kDown && p->tls_failed_;
  lock.unlock();
  if (refusal == kBadCredentials || refusal == kNotAuthorised) {
    p->Stop(milliseconds(0));
    return {nullptr,
            p->Broker() + " refused the credentials: " + mosquitto_connack_string(refusal)};
  }
  if (tls_failed) {
    p->Stop(milliseconds(0));
    return {nullptr, p->Broker() + kTlsRefused};
  }
  return {std::move(p), {}};
}

Publisher::~Publisher() {
  if (loop_.joinable()) Stop(milliseconds(0));
  if (client_ != nullptr) mosquitto_destroy(client_);
}

void Publisher::Run() {
  bool socket_up = link_ != Link::kDown;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      if (stopping_) break;
      if (!socket_up) {
        // Waits, then tries again; Stop cuts the wait short.
        changed_.wait_for(lock, backoff_, [this] { return stopping_; });
        if (stopping_) break;
        backoff_ =
            std::min(backoff_ * 2, std::chrono::duration_cast<milliseconds>(kLongestBackoff));
      }
    }
    if (!socket_up) {
      const int rc = mosquitto_reconnect_async(client_);
      if (rc != MOSQ_ERR_SUCCESS) {
        const std::lock_guard lock(mutex_);
        LinkDown(LibraryError(rc));
        continue;
      }
      socket_up = true;
    }
    const int rc = mosquitto_loop(client_, kLoopTimeoutMs, 1);
    if (rc != MOSQ_ERR_SUCCESS) {
      socket_up = false;
      const std::lock_guard lock(mutex_);
      if (rc == MOSQ_ERR_TLS) tls_failed_ = true;
      LinkDown(LibraryError(rc));
    }
  }
  // The DISCONNECT goes out, so the broker keeps its Last Will to itself.
  mosquitto_disconnect(client_);
  int turns = 10;
  while (turns-- > 0 && mosquitto_loop(client_, kLoopTimeoutMs, 1) == MOSQ_ERR_SUCCESS) continue;
}

void Publisher::Publish(Record record) {
  const std::lock_guard lock(mutex_);
  if (settings_.discovery_prefix && record.variant) {
    const auto [known, added] = variants_.try_emplace(record.address, *record.variant);
    if (added || known->second != *record.variant) {
      known->second = *record.variant;
      if (link_ == Link::kUp) PublishDiscovery(record.address, *record.variant);
    }
  }
  queue_.Push(next_seq_++, record.address, std::move(record.json));
  HandOverWaiting();
}

std::vector<std::string> Publisher::TakeNotices() {
  const std::lock_guard lock(mutex_);
  return std::exchange(notices_, {});
}

std::size_t Publisher::Stop(milliseconds wait) {
  std::unique_lock lock(mutex_);
  if (stopping_) return queue_.Size();
  changed_.wait_for(lock, wait, [this] { return queue_.Size() == 0 || link_ != Link::kUp; });
  const std::size_t left = queue_.Size();
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

void Publisher::PublishDiscovery(std::uint8_t address, unsigned variant) {
  for (const RetainedMessage& config :
       DiscoveryConfigs(*settings_.discovery_prefix, settings_.url.prefix, address, variant)) {
    mosquitto_publish(client_, nullptr, config.topic.c_str(),
                      static_cast<int>(config.payload.size()), config.payload.data(), 1, true);
  }
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

void Publisher::OnConnect(struct mosquitto*, void* self, int rc) {
  auto& p = *static_cast<Publisher*>(self);
  const std::lock_guard lock(p.mutex_);
  if (rc != 0) {
    if (p.refusal_ != rc)
      p.Notice(p.Broker() + " refused the connection: " + mosquitto_connack_string(rc));
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
  if (p.settings_.discovery_prefix) {
    for (const auto& [address, variant] : p.variants_) p.PublishDiscovery(address, variant);
  }
  p.queue_.HandBackAll();
  p.HandOverWaiting();
  p.changed_.notify_all();
}

void Publisher::OnDisconnect(struct mosquitto*, void* self, int rc) {
  auto& p = *static_cast<Publisher*>(self);
  const std::lock_guard lock(p.mutex_);
  // The library may tell a failed handshake here before its loop returns the failure.
  if (rc == MOSQ_ERR_TLS) p.tls_failed_ = true;
  if (!p.stopping_) p.LinkDown(LibraryError(rc));
}

void Publisher::OnPublish(struct mosquitto*, void* self, int mid) {
  auto& p = *static_cast<Publisher*>(self);
  const std::lock_guard lock(p.mutex_);
  if (p.offline_mid_ == mid) p.offline_acknowledged_ = true;
  p.queue_.Acknowledged(mid);
  p.HandOverWaiting();
  p.changed_.notify_all();
}

}  // namespace publish
