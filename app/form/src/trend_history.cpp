#include "form/trend_history.h"

namespace form {

void TrendHistory::Push(const TrendSample& sample) {
  if (ring_.empty()) ring_.resize(kCapacity);
  if (size_ < kCapacity) {
    ring_[(head_ + size_) % kCapacity] = sample;
    ++size_;
  } else {
    ring_[head_] = sample;  // over the oldest
    head_ = (head_ + 1) % kCapacity;
  }
}

void TrendHistory::Clear() {
  head_ = 0;
  size_ = 0;
}

}  // namespace form
