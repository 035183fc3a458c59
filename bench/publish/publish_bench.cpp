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

namespace {

using Clock = std::chrono::steady_clock;

// A record of the size --json writes for a variant 1 reply.
const std::string kJson =
    R"j({"time":"2026-01-01T00:00:00.000Z","address":1,"outcome":"accepted","variant":1,)j"
    R"j("fault":0,"level1":45.5,"volume1":30.25,"level2":12,"volume2":100,"selfcal":50,)j"
    R"j("alarm_delay":10,"relays":[true,false,true,false],"lines":["ВЛК240ТхИ Исполнение 1",)j"
    R"j("(Уровнемер-Уровнемер)","","Уровень канала 1 - 45.5 %","Объём канала 1 - 30.3 %",)j"
    R"j("Уровень канала 2 - 12.0 %","Объём канала 2 - 100.0 %","Состояния реле: Вкл. Выкл. Вкл. Выкл. "],)j"
    R"j("raw":"1 4 26 0 0 66 54 0 0 65 242 0 0 65 64 0 0 66 200 0 0 0 21 0 10 66 72 0 0 71 118"})j";

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
    start.publisher->Publish({1, kJson, 1});
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
  for (int i = 0; i < kRecords; ++i) start.publisher->Publish({1, kJson, 1});
  const std::size_t left = start.publisher->Stop(std::chrono::seconds(60));
  const double used = ProcessCpuMicroseconds() - before;
  End(subscriber);
  std::printf("publish_cpu %.1f %zu us (per record; records left unpublished)\n",
              used / kRecords, left);
}

void QueueMemory() {
  auto start = publish::Publisher::Start(At(FreePort(), "away"));
  start.publisher->Publish({1, kJson, 1});
  const auto before = soak::ResidentKilobytes().value_or(0);
  constexpr int kRecords = 10000;
  for (int i = 1; i < kRecords; ++i) start.publisher->Publish({1, kJson, 1});
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
