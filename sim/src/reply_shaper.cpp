#include "sim/reply_shaper.h"

#include <algorithm>
#include <array>
#include <initializer_list>

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

// The frame in pieces cut before each of `cuts` (ascending, inside the frame), the first after
// `first_pause`, each other after `pause`.
Transmission Pieces(const Bytes& frame, std::chrono::microseconds first_pause,
                    std::initializer_list<std::size_t> cuts, std::chrono::microseconds pause) {
  std::vector<std::size_t> ends(cuts);
  ends.push_back(frame.size());
  Transmission pieces;
  std::size_t from = 0;
  for (const std::size_t to : ends) {
    pieces.push_back({pieces.empty() ? first_pause : pause,
                      Bytes(frame.begin() + static_cast<std::ptrdiff_t>(from),
                            frame.begin() + static_cast<std::ptrdiff_t>(to))});
    from = to;
  }
  return pieces;
}

// Enough characters to keep the line busy for `length`.
int CharactersFor(std::chrono::milliseconds length) {
  return static_cast<int>(
      (std::chrono::nanoseconds(length) + kCharacterTime - std::chrono::nanoseconds(1)) /
      kCharacterTime);
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
      return Pieces(frame, turnaround, {frame.size() / 3, frame.size() * 2 / 3},
                    behaviour.split_pause);
    case BehaviourKind::kRepeat:
      return {{turnaround, frame}, {behaviour.repeat_pause, frame}};
    case BehaviourKind::kExtra: {
      const int count = std::clamp(behaviour.extra_bytes, 1, 255);
      const Bytes extra = RandomBytes(random, count, count);
      frame.insert(frame.end(), extra.begin(), extra.end());
      break;
    }
    case BehaviourKind::kPause: {
      const int cut = std::clamp(behaviour.pause_after, 1, static_cast<int>(frame.size()) - 1);
      return Pieces(frame, turnaround, {static_cast<std::size_t>(cut)}, behaviour.pause);
    }
    case BehaviourKind::kBabble: {
      const int count = CharactersFor(std::max(behaviour.babble, std::chrono::milliseconds(1)));
      return {{.pause_before = turnaround,
               .bytes = RandomBytes(random, count, count),
               .line_paced = true}};
    }
  }
  return {{turnaround, frame}};
}

std::span<const Behaviour> RotatingFaults() {
  // Each spoils one or two polls and leaves the line free for the next. A babble jams it for
  // seconds, which would stall a soak, so it is no part of the rotation.
  static constexpr std::array kKinds{
      BehaviourKind::kSilent, BehaviourKind::kException,    BehaviourKind::kBadCrc,
      BehaviourKind::kStray,  BehaviourKind::kOtherAddress, BehaviourKind::kCut,
      BehaviourKind::kNoise,  BehaviourKind::kLate,         BehaviourKind::kSplit,
      BehaviourKind::kRepeat, BehaviourKind::kExtra,        BehaviourKind::kPause};
  static const std::array<Behaviour, kKinds.size()> kFaults = [] {
    std::array<Behaviour, kKinds.size()> faults{};
    for (std::size_t i = 0; i < kKinds.size(); ++i) faults[i].kind = kKinds[i];
    return faults;
  }();
  return kFaults;
}

}  // namespace sim
