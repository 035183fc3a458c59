#include "sim/request_framer.h"

#include <algorithm>

#include "sim/crc16.h"

namespace sim {

void RequestFramer::Feed(std::span<const std::uint8_t> bytes, Clock::time_point now) {
  if (!arrived_.empty() && now - arrived_.back() > gap_) {
    bytes_.clear();
    arrived_.clear();
  }
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  arrived_.insert(arrived_.end(), bytes.size(), now);
}

std::optional<RequestFramer::Request> RequestFramer::Next() {
  std::size_t skip = 0;
  std::optional<Request> found;
  for (; bytes_.size() - skip >= kRequestSize; ++skip) {
    const std::span<const std::uint8_t> window(bytes_.data() + skip, kRequestSize);
    if (HasValidCrc(window)) {
      Request request{};
      std::copy(window.begin(), window.end(), request.bytes.begin());
      request.first_byte_at = arrived_[skip];
      found = request;
      skip += kRequestSize;
      break;
    }
  }
  const auto cut = static_cast<std::ptrdiff_t>(skip);
  bytes_.erase(bytes_.begin(), bytes_.begin() + cut);
  arrived_.erase(arrived_.begin(), arrived_.begin() + cut);
  return found;
}

}  // namespace sim
