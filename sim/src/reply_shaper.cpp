#include "sim/reply_shaper.h"

#include <algorithm>
#include <array>

#include "sim/crc16.h"

namespace sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(std::mt19937& random, int min_count, int max_count) {
  std::uniform_int_distribution<int> count(min_count, max_count);
  std::uniform_int_distribution<int> value(0, 255);
  Bytes bytes(static_cast<std::size_t>(count(random)));
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(value(random));
  return bytes;
}

// Another valid address, so the frame is well-formed but not ours.
std::uint8_t OtherAddress(std::uint8_t address) {
  return static_cast<std::uint8_t>(address % 247 + 1);
}

Transmission Split(const Bytes& frame, std::chrono::microseconds first_pause,
                   std::chrono::microseconds pause) {
  const auto at = [&](std::size_t third) {
    return frame.begin() + static_cast<std::ptrdiff_t>(frame.size() * third / 3);
  };
  return {{first_pause, Bytes(at(0), at(1))},
          {pause, Bytes(at(1), at(2))},
          {pause, Bytes(at(2), at(3))}};
}

}  // namespace

Transmission Shape(std::span<const std::uint8_t> answer, const Behaviour& behaviour,
                   std::chrono::microseconds turnaround, std::mt19937& random) {
  Bytes frame(answer.begin(), answer.end());
  switch (behaviour.kind) {
    case BehaviourKind::kNormal:
      break;
    case BehaviourKind::kSilent:
      return {};
    case BehaviourKind::kException:
      frame =
          Bytes{frame[0], static_cast<std::uint8_t>(frame[1] | 0x80U), behaviour.exception_code};
      AppendCrc(frame);
      break;
    case BehaviourKind::kBadCrc:
      frame[frame.size() - 2] ^= 0xFFU;
      frame[frame.size() - 1] ^= 0xFFU;
      break;
    case BehaviourKind::kStray:
      frame.insert(frame.begin(), static_cast<std::size_t>(std::clamp(behaviour.stray_bytes, 1, 5)),
                   std::uint8_t{0});
      break;
    case BehaviourKind::kOtherAddress:
      frame.resize(frame.size() - 2);
      frame[0] = OtherAddress(frame[0]);
      AppendCrc(frame);
      break;
    case BehaviourKind::kCut: {
      const int keep = std::clamp(behaviour.cut_after, 0, static_cast<int>(frame.size()) - 1);
      frame.resize(static_cast<std::size_t>(keep));
      if (frame.empty()) return {};
      break;
    }
    case BehaviourKind::kNoise: {
      std::uniform_int_distribution<std::size_t> where(1, frame.size() - 1);
      const Bytes inside = RandomBytes(random, 1, 2);
      frame.insert(frame.begin() + static_cast<std::ptrdiff_t>(where(random)), inside.begin(),
                   inside.end());
      const Bytes before = RandomBytes(random, 1, 3);
      frame.insert(frame.begin(), before.begin(), before.end());
      const Bytes after = RandomBytes(random, 1, 3);
      frame.insert(frame.end(), after.begin(), after.end());
      break;
    }
    case BehaviourKind::kLate:
      return {{behaviour.late, frame}};
    case BehaviourKind::kSplit:
      return Split(frame, turnaround, behaviour.split_pause);
  }
  return {{turnaround, frame}};
}

std::span<const Behaviour> RotatingFaults() {
  static const std::array<Behaviour, 9> kFaults = [] {
    std::array<Behaviour, 9> faults{};
    const std::array<BehaviourKind, 9> kinds{
        BehaviourKind::kSilent, BehaviourKind::kException,    BehaviourKind::kBadCrc,
        BehaviourKind::kStray,  BehaviourKind::kOtherAddress, BehaviourKind::kCut,
        BehaviourKind::kNoise,  BehaviourKind::kLate,         BehaviourKind::kSplit};
    for (std::size_t i = 0; i < kinds.size(); ++i) faults[i].kind = kinds[i];
    return faults;
  }();
  return kFaults;
}

}  // namespace sim
