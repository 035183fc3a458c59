#include "publish/record_queue.h"

#include <algorithm>
#include <utility>

#include "publish/state_payload.h"

namespace publish {

RecordQueue::RecordQueue(std::size_t limit, Spool::Opening from)
    : limit_(limit),
      next_seq_(from.next_seq),
      spool_(std::move(from.spool)),
      spool_error_(std::move(from.error)) {
  for (SpooledRecord& record : from.records) {
    records_.push_back({std::move(record), {}, 0});
  }
  // A smaller --queue than the earlier run's keeps the newest.
  SpoolChange change;
  while (limit_ > 0 && records_.size() > limit_) DropOldest(change);
  if (!change.removed.empty()) Save(change);
}

std::uint64_t RecordQueue::Push(std::uint8_t address, std::string json) {
  const std::uint64_t seq = next_seq_++;
  records_.push_back({{seq, address, std::move(json), 0}, {}, 0});
  SpoolChange change;
  if (limit_ > 0 && records_.size() > limit_) DropOldest(change);
  change.added.push_back(records_.back());
  Save(change);
  return seq;
}

void RecordQueue::DropOldest(SpoolChange& change) {
  const QueuedRecord gone = std::move(records_.front());
  records_.pop_front();
  if (handed_over_ > 0) --handed_over_;
  ++dropped_total_;
  change.removed.push_back(gone.seq);
  // A record once handed over told its own count; one never handed over passes it on. The
  // count goes to the first record whose payload is not fixed yet: the one just pushed, at
  // the latest.
  const std::uint64_t untold = 1 + (gone.payload.empty() ? gone.dropped : 0);
  const auto teller = std::find_if(records_.begin(), records_.end(),
                                   [](const QueuedRecord& r) { return r.payload.empty(); });
  if (teller == records_.end()) return;
  teller->dropped += untold;
  change.dropped_counts.emplace_back(teller->seq, teller->dropped);
}

QueuedRecord* RecordQueue::NextWaiting() {
  if (handed_over_ >= records_.size()) return nullptr;
  QueuedRecord& record = records_[handed_over_];
  if (record.payload.empty())
    record.payload = StatePayload(record.json, record.seq, record.dropped);
  return &record;
}

void RecordQueue::MarkHandedOver(QueuedRecord& record, int mid) {
  record.mid = mid;
  ++handed_over_;
}

void RecordQueue::Acknowledged(int mid) {
  const auto end = records_.begin() + static_cast<std::ptrdiff_t>(handed_over_);
  const auto found =
      std::find_if(records_.begin(), end, [mid](const QueuedRecord& r) { return r.mid == mid; });
  if (found == end) return;  // a resend's earlier copy, or a record dropped meanwhile
  SpoolChange change;
  change.removed.push_back(found->seq);
  records_.erase(found);
  --handed_over_;
  Save(change);
}

std::string RecordQueue::TakeSpoolError() { return std::exchange(spool_error_, {}); }

void RecordQueue::Save(const SpoolChange& change) {
  if (!spool_) return;
  spool_error_ = spool_->Apply(change);
  if (!spool_error_.empty()) spool_.reset();
}

}  // namespace publish
