#include "posix/read_timing.h"

#include <gtest/gtest.h>

namespace platform::posix {
namespace {

using std::chrono::milliseconds;

TEST(ReadTiming, EachRowOfTheTimeoutRulesGivesItsPlan) {
  const auto t0 = Deadline::Clock::time_point{} + std::chrono::hours(1);
  struct Row {
    COMMTIMEOUTS t;
    DWORD count;
    bool immediate;
    bool first_byte;
    long long total_ms;  // -1: never
    DWORD gap_ms;
  };
  const Row rows[] = {
      {{MAXDWORD, 0, 0, 0, 0}, 31, true, false, -1, 0},
      {{MAXDWORD, 6, 0, 0, 0}, 31, false, false, 186, 0},
      {{0, 0, 0, 0, 0}, 31, false, false, -1, 0},
      {{20, 0, 0, 0, 0}, 31, false, false, -1, 20},
      {{20, 10, 5, 0, 0}, 3, false, false, 35, 20},
      {{MAXDWORD, MAXDWORD, 100, 0, 0}, 31, false, true, 100, 0},
      {{MAXDWORD, MAXDWORD, 0, 0, 0}, 2, false, false, 2LL * MAXDWORD, 0},
      // 1.2e13 ms lies beyond the clock's nanosecond range: no end, not an overflow.
      {{MAXDWORD, 3'000'000'000u, 0, 0, 0}, 4000, false, false, -1, 0},
  };
  for (const Row& row : rows) {
    const ReadPlan plan = PlanRead(row.t, row.count, t0);
    EXPECT_EQ(plan.immediate, row.immediate);
    EXPECT_EQ(plan.first_byte_ends, row.first_byte);
    EXPECT_EQ(plan.gap_ms, row.gap_ms);
    if (row.total_ms < 0) {
      EXPECT_TRUE(plan.total.IsNever());
    } else {
      EXPECT_EQ(plan.total.When() - t0, milliseconds(row.total_ms));
    }
  }
}

TEST(ReadTiming, WritesUseTheWriteTotalsOnly) {
  const auto t0 = Deadline::Clock::time_point{} + std::chrono::hours(1);
  EXPECT_EQ(PlanWrite({0, 0, 0, 150, 1000}, 8, t0).When() - t0, milliseconds(2200));
  EXPECT_TRUE(PlanWrite({0, 6, 9, 0, 0}, 8, t0).IsNever());
  // The largest product does not overflow into a short time-out.
  EXPECT_GT(PlanWrite({0, 0, 0, MAXDWORD, MAXDWORD}, MAXDWORD, t0).When() - t0,
            std::chrono::hours(24 * 365));
}

TEST(ReadTiming, OnlyAllMaxdwordReadTimeoutsAreInvalid) {
  EXPECT_FALSE(TimeoutsValid({MAXDWORD, MAXDWORD, MAXDWORD, 0, 0}));
  EXPECT_TRUE(TimeoutsValid({MAXDWORD, MAXDWORD, 100, 0, 0}));
  EXPECT_TRUE(TimeoutsValid({0, 0, 0, MAXDWORD, MAXDWORD}));
}

}  // namespace
}  // namespace platform::posix

namespace platform {
namespace {

// AfterMs saturates at the end of the clock's range instead of overflowing.
TEST(Deadline, AfterMsBeyondTheClocksRangeIsNever) {
  using Clock = Deadline::Clock;
  const Clock::time_point from = Clock::time_point::max() - std::chrono::milliseconds(10);
  EXPECT_EQ(Deadline::AfterMs(9, from).When(), from + std::chrono::milliseconds(9));
  EXPECT_FALSE(Deadline::AfterMs(9, from).IsNever());
  EXPECT_TRUE(Deadline::AfterMs(10, from).IsNever());
  EXPECT_TRUE(Deadline::AfterMs(UINT64_MAX, Clock::now()).IsNever());
  EXPECT_FALSE(Deadline::AfterMs(UINT64_MAX, Clock::now()).Expired());
}

}  // namespace
}  // namespace platform
