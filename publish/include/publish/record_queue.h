#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "publish/spool.h"

namespace publish {

// A record as the spool keeps it, and its hand-over to the broker.
struct QueuedRecord : SpooledRecord {
  std::string payload;  // fixed when first handed to the broker, so a resend says the same
  int mid = 0;          // the client library's message id while handed over
};

// The records not yet acknowledged by the broker, oldest first: those handed over (at the
// front) and those waiting. Bounded: a full queue drops its oldest record, and the next
// record handed over says how many went. With a spool every record and change is on disk too,
// before Push returns; a spool that fails is given up (TakeSpoolError tells why, once) and the
// records go on from memory. Not locked: its owner locks.
class RecordQueue {
 public:
  // `from`: the spool, as Spool::Open gave it (its records come first and numbering goes on
  // from it), or none.
  explicit RecordQueue(std::size_t limit, Spool::Opening from = {});

  // Returns the record's number: from 1, or on from the spool's.
  std::uint64_t Push(std::uint8_t address, std::string json);
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
  bool Spooled() const { return spool_ != nullptr; }
  // Why the spool was given up since the last call; "" when it was not.
  std::string TakeSpoolError();

 private:
  void DropOldest(SpoolChange& change);
  void Save(const SpoolChange& change);

  std::size_t limit_;
  std::deque<QueuedRecord> records_;
  std::size_t handed_over_ = 0;  // records at the front with the broker
  std::uint64_t next_seq_ = 1;
  std::uint64_t dropped_total_ = 0;
  std::unique_ptr<Spool> spool_;
  std::string spool_error_;
};

}  // namespace publish
