#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

#include "exchange/EMUL_Functions.h"

namespace {

// A tick counter that advances by `step` each time the toolkit gets to process events.
class FakeClock {
 public:
  FakeClock(std::uint32_t start, std::uint32_t step) : now_(start), step_(step) {
    EMUL_Functions::SetTickSource([this] { return now_; });
    EMUL_Functions::SetMessagePump([this] {
      ++pumps_;
      now_ += step_;
    });
  }
  ~FakeClock() {
    EMUL_Functions::SetTickSource(nullptr);
    EMUL_Functions::SetMessagePump(nullptr);
  }
  int pumps() const { return pumps_; }

 private:
  std::uint32_t now_;
  std::uint32_t step_;
  int pumps_ = 0;
};

TEST(DelayMs, WaitsMoreThanTheTimeAtLeastTwo) {
  const struct {
    std::int32_t ms;
    std::uint32_t start;
    std::uint32_t step;
    int pumps;
  } cases[] = {
      // clang-format off
      {-5, 100, 1, 3},
      {0, 100, 1, 3},
      {1, 100, 1, 3},
      {2, 100, 1, 3},
      {10, 100, 1, 11},
      {10, 0xFFFFFFFA, 1, 11},        // the counter wraps during the wait
      {10, 0xFFFFFFFF, 4, 3},
      {INT32_MAX, 0, 0x40000000, 2},  // the longest wait
      {5, 7, 1000, 1},                // events are processed at least once
      // clang-format on
  };
  for (const auto& c : cases) {
    FakeClock clock(c.start, c.step);
    EMUL_Functions::DELAY_MS(c.ms);
    EXPECT_EQ(clock.pumps(), c.pumps) << c.ms << " from " << c.start;
  }
}

TEST(DelayMs, DefaultTickSourceWaitsRealTime) {
  const auto before = std::chrono::steady_clock::now();
  EMUL_Functions::DELAY_MS(0);
  EXPECT_GT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1));
}

}  // namespace
