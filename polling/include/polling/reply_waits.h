// How long each instrument of a line has for its reply, learnt from what its replies needed: an
// instrument whose reply came late, or only just in time, gets a longer wait of its own, so
// that it is read in time from then on and stops colliding with its neighbours; one that
// answers promptly again comes back towards the line's starting wait. Thread rule: one thread.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

namespace polling {

struct WaitChange {
  std::uint8_t address = 0;
  std::chrono::milliseconds from{0};
  std::chrono::milliseconds to{0};
  // What the reply that changed it needed, from the end of its request.
  std::chrono::milliseconds needed{0};
};

class ReplyWaits {
 public:
  // Every instrument starts with `start`; no wait grows beyond `longest` (at least `start`).
  ReplyWaits(std::chrono::milliseconds start, std::chrono::milliseconds longest);

  std::chrono::milliseconds Of(std::uint8_t address) const;
  std::chrono::milliseconds Start() const { return start_; }
  std::chrono::milliseconds Longest() const { return longest_; }

  // A reply of `address` needed `needed` from its request's end; `late` when it came after its
  // wait. The wait grows at once to what such a reply needs with a margin; it shrinks after
  // prompt replies, by half of the excess each time, and by a tenth at least, so that a reply
  // time that wavers does not move it to and fro. Returns the change, if any.
  std::optional<WaitChange> Replied(std::uint8_t address, std::chrono::milliseconds needed,
                                    bool late);

 private:
  struct Instrument {
    std::chrono::milliseconds need{0};  // the longest of late replies, halved towards the prompt
    std::optional<std::chrono::milliseconds> wait;  // none: the starting wait
  };
  std::chrono::milliseconds WaitFor(std::chrono::milliseconds need) const;

  std::chrono::milliseconds start_;
  std::chrono::milliseconds longest_;
  std::array<Instrument, 256> instruments_{};
};

}  // namespace polling
