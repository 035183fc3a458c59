// Prints `name median p90|value unit` lines for the publisher's spool on disk (in /var/tmp, a
// disk rather than a memory file system where /tmp is one):
//   spool_add_record      Push of one record, committed and synced alone (synchronous=FULL),
//                         wall time in ms, and spool_add_record_cpu its CPU in µs
//   spool_add_batch       one record's share of a commit of 100, synced once: wall and CPU
//   spool_remove_record   an acknowledged record leaving, committed without a sync
//                         (synchronous=NORMAL, what an unsynced add costs too), in µs
//   spool_size            the database per 10 000 records of the size --json writes, in KB,
//                         while open (with its WAL) and once closed
//   spool_backlog_delivery  100 000 spooled records published from a start to a local
//                         mosquitto until the broker acknowledged the last, records/s
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "local_broker.h"
#include "process_cpu.h"
#include "publish/publisher.h"
#include "publish/record_queue.h"
#include "publish/spool.h"
#include "sample_record.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

double Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::uintmax_t SpoolBytes(const fs::path& dir) {
  std::uintmax_t bytes = 0;
  for (const fs::directory_entry& file : fs::directory_iterator(dir)) bytes += file.file_size();
  return bytes;
}

// A spool of its own, removed at the end.
class Folder {
 public:
  Folder() {
    std::string folder = "/var/tmp/vlk240-spool-bench-XXXXXX";
    path_ = mkdtemp(folder.data());
  }
  ~Folder() { fs::remove_all(path_); }
  std::string Dir() const { return (path_ / "spool").string(); }

 private:
  fs::path path_;
};

// `batches` commits of `size` records each, numbered from `first`.
void AddInBatches(publish::Spool& spool, std::uint64_t first, int batches, int size) {
  for (int b = 0; b < batches; ++b) {
    publish::SpoolChange change;
    for (int i = 0; i < size; ++i) change.added.push_back({first++, 1, kSampleRecordJson, 0});
    spool.Apply(change);
  }
}

void AddAndRemove() {
  const Folder folder;
  publish::RecordQueue queue(0, publish::Spool::Open(folder.Dir()));
  constexpr int kRecords = 500;
  std::vector<double> ms;
  double cpu = ProcessCpuMicroseconds();
  for (int i = 0; i < kRecords; ++i) {
    const Clock::time_point start = Clock::now();
    queue.Push(1, kSampleRecordJson);
    ms.push_back(Since(start));
  }
  cpu = ProcessCpuMicroseconds() - cpu;
  std::printf("spool_add_record %.3f %.3f ms\n", Percentile(ms, 0.5), Percentile(ms, 0.9));
  std::printf("spool_add_record_cpu %.1f - us (per record)\n", cpu / kRecords);

  std::vector<double> us;
  for (int mid = 1; mid <= kRecords; ++mid) {
    queue.MarkHandedOver(*queue.NextWaiting(), mid);
    const Clock::time_point start = Clock::now();
    queue.Acknowledged(mid);
    us.push_back(Since(start) * 1000.0);
  }
  std::printf("spool_remove_record %.1f %.1f us\n", Percentile(us, 0.5), Percentile(us, 0.9));
}

void AddBatches() {
  const Folder folder;
  publish::Spool::Opening opening = publish::Spool::Open(folder.Dir());
  constexpr int kBatch = 100;
  std::vector<double> ms;
  double cpu = ProcessCpuMicroseconds();
  for (int b = 0; b < 50; ++b) {
    const Clock::time_point start = Clock::now();
    AddInBatches(*opening.spool, 1 + static_cast<std::uint64_t>(b) * kBatch, 1, kBatch);
    ms.push_back(Since(start) / kBatch);
  }
  cpu = ProcessCpuMicroseconds() - cpu;
  std::printf("spool_add_batch %.4f %.4f ms (per record, %d a commit)\n", Percentile(ms, 0.5),
              Percentile(ms, 0.9), kBatch);
  std::printf("spool_add_batch_cpu %.1f - us (per record)\n", cpu / (50 * kBatch));
}

void Size() {
  const Folder folder;
  {
    publish::Spool::Opening opening = publish::Spool::Open(folder.Dir());
    AddInBatches(*opening.spool, 1, 100, 100);
    std::printf("spool_size %.0f - KB (10 000 records, open, with the WAL)\n",
                static_cast<double>(SpoolBytes(folder.Dir())) / 1024.0);
  }
  std::printf("spool_size_closed %.0f - KB (10 000 records; %zu bytes of JSON each)\n",
              static_cast<double>(SpoolBytes(folder.Dir())) / 1024.0, kSampleRecordJson.size());
}

void BacklogDelivery() {
  const Folder folder;
  constexpr int kRecords = 100000;
  {
    publish::Spool::Opening opening = publish::Spool::Open(folder.Dir());
    AddInBatches(*opening.spool, 1, kRecords / 1000, 1000);
  }
  const LocalBroker broker;
  publish::Settings settings;
  settings.url.host = "127.0.0.1";
  settings.url.port = broker.Port();
  settings.url.prefix = "bench";
  settings.queue_limit = kRecords;
  settings.spool_directory = folder.Dir();
  const Clock::time_point start = Clock::now();
  auto started = publish::Publisher::Start(settings);
  const std::size_t left = started.publisher->Stop(std::chrono::seconds(600));
  const double seconds = Since(start) / 1000.0;
  std::printf(
      "spool_backlog_delivery %.0f %zu records/s (from the start to the last PUBACK; "
      "records left)\n",
      static_cast<double>(kRecords - left) / seconds, left);
}

}  // namespace

int main() {
  AddAndRemove();
  AddBatches();
  Size();
  BacklogDelivery();
  return 0;
}
