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

TEST(ReadTiming, DrainTimeCountsEveryBitOfEachCharacterAtTheRate) {
  using std::chrono::nanoseconds;
  struct Row {
    DWORD baud;
    BYTE size;
    BYTE parity;
    BYTE stop;
    DWORD bytes;
    long long ns;
  };
  const Row rows[] = {
      {9600, 8, EVENPARITY, ONESTOPBIT, 8, 9'166'666},         // the request: 11 bits a byte
      {9600, 8, EVENPARITY, ONESTOPBIT, 4096, 4'693'333'333},  // a full 4 KiB queue
      {9600, 8, NOPARITY, ONESTOPBIT, 1, 1'041'666},           // 10 bits
      {19200, 7, ODDPARITY, TWOSTOPBITS, 3, 1'718'750},        // 11 bits
      {300, 5, NOPARITY, ONE5STOPBITS, 2, 50'000'000},         // 7.5 bits
      {115200, 8, MARKPARITY, TWOSTOPBITS, 0, 0},              // nothing left
      {0, 8, EVENPARITY, ONESTOPBIT, 8, 0},                    // no rate known
  };
  for (const Row& row : rows) {
    DCB dcb{};
    dcb.BaudRate = row.baud;
    dcb.ByteSize = row.size;
    dcb.Parity = row.parity;
    dcb.StopBits = row.stop;
    EXPECT_EQ(DrainTime(dcb, row.bytes), nanoseconds(row.ns)) << row.baud << " " << row.bytes;
  }
  // The next look at the queue comes once it can be empty, but never in a spin.
  DCB window{};
  window.BaudRate = 9600;
  window.ByteSize = 8;
  window.Parity = EVENPARITY;
  EXPECT_EQ(NextDrainLook(window, 8), nanoseconds(9'166'666));
  window.BaudRate = 0;
  EXPECT_EQ(NextDrainLook(window, 8), std::chrono::microseconds(100));
  window.BaudRate = 3'000'000;
  EXPECT_EQ(NextDrainLook(window, 1), std::chrono::microseconds(100));
  // The most bytes at the least rate saturate instead of wrapping to a short time.
  DCB slow{};
  slow.BaudRate = 1;
  slow.ByteSize = 8;
  slow.StopBits = TWOSTOPBITS;
  EXPECT_EQ(DrainTime(slow, MAXDWORD), Deadline::Clock::duration::max());
  EXPECT_TRUE(Deadline::After(DrainTime(slow, MAXDWORD)).IsNever());
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
