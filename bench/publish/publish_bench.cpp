// Prints `name median p99|value unit` lines:
//   publish_latency  from Publish (the end of a poll) to a subscriber's receipt through a
//                    local broker, in ms (median and 99th percentile)
//   publish_cpu      CPU of the whole publishing process per record, in µs, with the
//                    subscriber in another process
//   publish_queue_memory  resident memory that 10 000 waiting records add while the broker
//                    cannot be reached, in MB
// The broker is Debian's mosquitto, started here on 127.0.0.1 at a free port.
#include <mosquitto.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "local_broker.h"
#include "process_cpu.h"
#include "publish/publisher.h"
#include "resident_memory.h"
#include "sample_record.h"

namespace {

using Clock = std::chrono::steady_clock;

// A subscriber in this process: the time each state message arrived.
class Subscriber {
 public:
  explicit Subscriber(int port) {
    client_ = mosquitto_new(nullptr, true, this);
    mosquitto_message_callback_set(client_, [](mosquitto*, void* self, const mosquitto_message*) {
      auto& s = *static_cast<Subscriber*>(self);
      const std::lock_guard lock(s.mutex_);
      s.arrived_.push_back(Clock::now());
      s.changed_.notify_all();
    });
    mosquitto_connect(client_, "127.0.0.1", port, 30);
    mosquitto_subscribe(client_, nullptr, "bench/+/state", 1);
    mosquitto_loop_start(client_);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  ~Subscriber() {
    mosquitto_disconnect(client_);
    mosquitto_loop_stop(client_, false);
    mosquitto_destroy(client_);
  }
  Clock::time_point WaitFor(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(5), [&] { return arrived_.size() >= count; });
    return arrived_.size() >= count ? arrived_[count - 1] : Clock::time_point::max();
  }

 private:
  mosquitto* client_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Clock::time_point> arrived_;
};

publish::Settings At(int port, const std::string& prefix) {
  publish::Settings settings;
  settings.url.host = "127.0.0.1";
  settings.url.port = port;
  settings.url.prefix = prefix;
  return settings;
}

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

void Latency(const LocalBroker& broker) {
  Subscriber subscriber(broker.Port());
  auto start = publish::Publisher::Start(At(broker.Port(), "bench"));
  std::vector<double> ms;
  constexpr int kRecords = 1000;
  for (int i = 1; i <= kRecords; ++i) {
    const Clock::time_point sent = Clock::now();
    start.publisher->Publish(SampleRecord());
    const Clock::time_point arrived = subscriber.WaitFor(static_cast<std::size_t>(i));
    ms.push_back(std::chrono::duration<double, std::milli>(arrived - sent).count());
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  start.publisher->Stop(std::chrono::seconds(5));
  std::printf("publish_latency %.3f %.3f ms\n", Percentile(ms, 0.5), Percentile(ms, 0.99));
}

void Cpu(const LocalBroker& broker) {
  const pid_t subscriber = Spawn({"mosquitto_sub", "-p", std::to_string(broker.Port()), "-h",
                                  "127.0.0.1", "-q", "1", "-t", "cpu/#", "-C", "1000000"});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  auto start = publish::Publisher::Start(At(broker.Port(), "cpu"));
  constexpr int kRecords = 20000;
  const double before = ProcessCpuMicroseconds();
  for (int i = 0; i < kRecords; ++i) start.publisher->Publish(SampleRecord());
  const std::size_t left = start.publisher->Stop(std::chrono::seconds(60));
  const double used = ProcessCpuMicroseconds() - before;
  End(subscriber);
  std::printf("publish_cpu %.1f %zu us (per record; records left unpublished)\n", used / kRecords,
              left);
}

void QueueMemory() {
  auto start = publish::Publisher::Start(At(FreePort(), "away"));
  start.publisher->Publish(SampleRecord());
  const auto before = soak::ResidentKilobytes().value_or(0);
  constexpr int kRecords = 10000;
  for (int i = 1; i < kRecords; ++i) start.publisher->Publish(SampleRecord());
  const auto after = soak::ResidentKilobytes().value_or(0);
  start.publisher->Stop(std::chrono::milliseconds(0));
  std::printf("publish_queue_memory %.2f %d MB (added; records waiting)\n",
              static_cast<double>(after - before) / 1024.0, kRecords);
}

}  // namespace

int main() {
  // First, while the heap holds nothing that earlier rounds freed.
  QueueMemory();
  const LocalBroker broker;
  Latency(broker);
  Cpu(broker);
  return 0;
}
