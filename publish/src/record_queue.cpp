#include "publish/record_queue.h"

#include <algorithm>

#include "publish/state_payload.h"

namespace publish {

void RecordQueue::Push(std::uint64_t seq, std::uint8_t address, std::string json) {
  if (limit_ > 0 && records_.size() >= limit_) {
    records_.pop_front();
    if (handed_over_ > 0) --handed_over_;
    ++dropped_unsaid_;
    ++dropped_total_;
  }
  records_.push_back({seq, address, std::move(json), {}, 0});
}

QueuedRecord* RecordQueue::NextWaiting() {
  if (handed_over_ >= records_.size()) return nullptr;
  QueuedRecord& record = records_[handed_over_];
  if (record.payload.empty()) {
    record.payload = StatePayload(record.json, record.seq, dropped_unsaid_);
    dropped_unsaid_ = 0;
  }
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
  records_.erase(found);
  --handed_over_;
}

}  // namespace publish
