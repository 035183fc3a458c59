// The trend's history: a ring of compact samples, the newest 43 200 (24 h at the 2 s cycle),
// the oldest dropped. A sample is a reading or a gap marker (no reply, or the port lost).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace form {

enum class TrendSampleKind : std::uint8_t { kReading, kUnanswered, kPortLost };

// 40 bytes. Channels a reply does not carry are NaN ("absent").
struct TrendSample {
  std::int64_t time_ms = 0;  // since the epoch, system clock
  float level1 = NAN;
  float level2 = NAN;
  float volume1 = NAN;
  float volume2 = NAN;
  TrendSampleKind kind = TrendSampleKind::kReading;
  std::uint8_t relays = 0;          // bit i: relay i+1 on
  bool relays_known = false;        // the reply carried relay states
  std::uint8_t variant = 0;
  std::uint8_t fault = 0;
  bool sensor1_failed = false;
  bool sensor2_failed = false;
  std::uint8_t alarm_delay = 0;
  float selfcal = 0.0f;  // for the saved CSV's row
};

class TrendHistory {
 public:
  static constexpr std::size_t kCapacity = 43200;

  void Push(const TrendSample& sample);
  void Clear();
  std::size_t size() const { return size_; }
  // `i` from 0, the oldest, to size() - 1, the newest.
  const TrendSample& operator[](std::size_t i) const {
    return ring_[(head_ + i) % kCapacity];
  }

 private:
  std::vector<TrendSample> ring_;  // allocated at the first push
  std::size_t head_ = 0;           // the oldest
  std::size_t size_ = 0;
};

}  // namespace form
