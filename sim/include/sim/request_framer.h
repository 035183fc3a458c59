#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/instrument.h"

namespace sim {

// Cuts the byte stream from the master into 8-byte request frames the way an
// RTU slave does: bytes accumulate; a window whose CRC fails is slid on by one
// byte (resynchronising on garbage); a partial frame is dropped when the line
// has been silent for longer than the inter-frame gap. Single-threaded.
class RequestFramer {
 public:
  using Clock = std::chrono::steady_clock;

  struct Request {
    std::array<std::uint8_t, kRequestSize> bytes;
    Clock::time_point first_byte_at;  // arrival of its first byte
  };

  // 3.5 character times at 9600 bit/s with 11-bit characters, rounded up.
  static constexpr std::chrono::microseconds kDefaultGap{4000};

  explicit RequestFramer(std::chrono::microseconds gap = kDefaultGap) : gap_(gap) {}

  // Adds bytes that arrived at `now`.
  void Feed(std::span<const std::uint8_t> bytes, Clock::time_point now);
  // The next CRC-valid frame, if the buffered bytes hold one.
  std::optional<Request> Next();
  std::size_t Pending() const { return bytes_.size(); }

 private:
  std::chrono::microseconds gap_;
  std::vector<std::uint8_t> bytes_;
  std::vector<Clock::time_point> arrived_;  // one entry per buffered byte
};

}  // namespace sim
