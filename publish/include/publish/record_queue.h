#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace publish {

struct QueuedRecord {
  std::uint64_t seq = 0;
  std::uint8_t address = 0;
  std::string json;
  std::string payload;  // fixed when first handed to the broker, so a resend says the same
  int mid = 0;          // the client library's message id while handed over
};

// The records not yet acknowledged by the broker, oldest first: those handed over (at the
// front) and those waiting. Bounded: a full queue drops its oldest record, and the next
// record handed over says how many went. Not locked: its owner locks.
class RecordQueue {
 public:
  explicit RecordQueue(std::size_t limit) : limit_(limit) {}

  void Push(std::uint64_t seq, std::uint8_t address, std::string json);
  // The oldest record not handed over, its payload fixed; nullptr when every one is.
  QueuedRecord* NextWaiting();
  // `record`, the one NextWaiting gave, is now with the broker under `mid`.
  void MarkHandedOver(QueuedRecord& record, int mid);
  // The broker acknowledged `mid`: its record leaves the queue.
  void Acknowledged(int mid);
  // The connection went: every record waits to be handed over again.
  void HandBackAll() { handed_over_ = 0; }

  std::size_t Size() const { return records_.size(); }
  std::size_t HandedOver() const { return handed_over_; }
  std::uint64_t DroppedTotal() const { return dropped_total_; }

 private:
  std::size_t limit_;
  std::deque<QueuedRecord> records_;
  std::size_t handed_over_ = 0;  // records at the front with the broker
  std::uint64_t dropped_unsaid_ = 0;
  std::uint64_t dropped_total_ = 0;
};

}  // namespace publish
