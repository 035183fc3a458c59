#include "polling/reply_waits.h"

#include <algorithm>

namespace polling {
namespace {

using std::chrono::milliseconds;

// Beyond what a reply needed: a quarter for its instrument's own wavering, and what a USB
// adapter may hold bytes back (16 ms) with the system's own delays.
milliseconds WithMargin(milliseconds needed) { return needed + needed / 4 + milliseconds(20); }

// Waits move in steps of 10 ms, so that a change is worth telling.
milliseconds RoundedUp(milliseconds wait) {
  constexpr milliseconds kStep{10};
  return (wait + kStep - milliseconds(1)) / kStep * kStep;
}

}  // namespace

ReplyWaits::ReplyWaits(milliseconds start, milliseconds longest)
    : start_(start), longest_(std::max(start, longest)) {}

milliseconds ReplyWaits::Of(std::uint8_t address) const {
  return instruments_[address].wait.value_or(start_);
}

milliseconds ReplyWaits::WaitFor(milliseconds need) const {
  return std::clamp(RoundedUp(WithMargin(need)), start_, longest_);
}

std::optional<WaitChange> ReplyWaits::Replied(std::uint8_t address, milliseconds needed,
                                              bool late) {
  Instrument& instrument = instruments_[address];
  const milliseconds before = Of(address);
  instrument.need =
      late ? std::max(instrument.need, needed) : std::max(needed, (instrument.need + needed) / 2);
  const milliseconds target = WaitFor(instrument.need);
  milliseconds after = before;
  if (target > before) {
    after = target;
  } else if (target < before && (target == start_ || target * 10 <= before * 9)) {
    after = target;
  }
  if (after == before) return std::nullopt;
  instrument.wait = after == start_ ? std::nullopt : std::optional(after);
  return WaitChange{address, before, after, needed};
}

}  // namespace polling
