// COMMTIMEOUTS on a real pseudo-terminal, the master writing at exact times.
#include <cstring>
#include <ostream>

#include "pty_fixture.h"
#include "support/best_of_runs.h"

namespace platform::testing {
namespace {

struct Burst {
  int at_ms;
  std::string bytes;
};

// How much later than its row says the best of three reads may end: a timer
// with coarse steps (100 ms steps would make 186 into 200) misses it.
constexpr double kSlackMs = 9;

struct TimeoutRow {
  const char* name;
  COMMTIMEOUTS timeouts;
  DWORD count;
  std::vector<Burst> bursts;
  DWORD expected;
  double ends_ms;  // no run ends earlier; the best of three at most kSlackMs later
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const TimeoutRow& row, std::ostream* out) { *out << row.name; }

class ReadTimeouts : public PtyTest, public ::testing::WithParamInterface<TimeoutRow> {
 protected:
  // One read with the row's bursts; returns how long it took.
  double ReadOnce(const TimeoutRow& row) {
    std::vector<char> buffer(row.count + 1, '#');
    Overlapped o;
    const auto start = Clock::now();
    StartRead(buffer.data(), row.count, &o);
    for (const Burst& burst : row.bursts) {
      std::this_thread::sleep_until(start + std::chrono::milliseconds(burst.at_ms));
      Send(burst.bytes);
    }
    EXPECT_EQ(Await(&o), row.expected);
    const double elapsed = MsSince(start);
    EXPECT_GE(elapsed, row.ends_ms);
    // Bytes beyond the count read keep what the caller had there.
    for (DWORD i = row.expected; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], '#') << i;
    return elapsed;
  }
};

TEST_P(ReadTimeouts, ReadEndsAsTheRowSays) {
  const TimeoutRow& row = GetParam();
  ASSERT_TRUE(Comm().SetCommTimeouts(port_, &row.timeouts));
  const double bound = row.ends_ms + kSlackMs;
  EXPECT_LE(vlk_test::BestOfRuns(3, bound, [&] { return ReadOnce(row); }), bound);
}

const std::string k31(31, 'r');

INSTANTIATE_TEST_SUITE_P(
    Rows, ReadTimeouts,
    ::testing::Values(
        // The exchange's reply read: silence ends it after 6*31 = 186 ms.
        TimeoutRow{"silence_186ms", {MAXDWORD, 6, 0, 0, 0}, 31, {}, 0, 186},
        // 12 bytes then silence: the total still runs, 12 is a success.
        TimeoutRow{
            "twelve_then_silence", {MAXDWORD, 6, 0, 0, 0}, 31, {{10, "abcdefghijkl"}}, 12, 186},
        // MAXDWORD only switches the gap timer off: a reply in pieces is read whole.
        TimeoutRow{"reply_in_pieces",
                   {MAXDWORD, 6, 0, 0, 0},
                   31,
                   {{10, k31.substr(0, 10)}, {80, k31.substr(10)}},
                   31,
                   80},
        // All zero: no limit, the read ends with the last byte.
        TimeoutRow{"zero_waits_for_count",
                   {0, 0, 0, 0, 0},
                   31,
                   {{20, k31.substr(0, 5)}, {300, k31.substr(5)}},
                   31,
                   300},
        // The gap timer, armed by the first byte, ends the read after a pause.
        TimeoutRow{"gap_ends_read", {40, 0, 0, 0, 0}, 31, {{30, "abcd"}}, 4, 30 + 40},
        // The gap timer does not run before the first byte.
        TimeoutRow{"gap_waits_for_first_byte", {40, 0, 0, 0, 0}, 4, {{150, "abcd"}}, 4, 150},
        // Windows' special case: the first byte ends the read.
        TimeoutRow{"first_byte_ends", {MAXDWORD, MAXDWORD, 500, 0, 0}, 31, {{30, "ab"}}, 2, 30},
        TimeoutRow{"first_byte_constant", {MAXDWORD, MAXDWORD, 60, 0, 0}, 31, {}, 0, 60}),
    [](const ::testing::TestParamInfo<TimeoutRow>& row) { return std::string(row.param.name); });

TEST_F(PtyTest, MaxdwordZeroZeroReturnsAtOnceWithWhatIsQueued) {
  SetTimeouts(MAXDWORD, 0, 0);
  char buffer[31];
  DWORD read = 99;
  Overlapped o;
  ASSERT_TRUE(Comm().ReadFile(port_, buffer, 31, &read, &o.ov));  // nothing queued: 0 at once
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(Comm().WaitForSingleObject(o.event.get(), 0), WAIT_OBJECT_0);

  Send("hello");
  const auto until = Clock::now() + std::chrono::seconds(2);
  read = 0;
  while (read == 0 && Clock::now() < until) {
    ASSERT_TRUE(Comm().ReadFile(port_, buffer, 31, &read, &o.ov));
  }
  EXPECT_EQ(std::string(buffer, read), "hello");
}

TEST_F(PtyTest, WriteCompletesWhenTheKernelTookEveryByte) {
  Overlapped o;
  DWORD written = 0;
  if (!Comm().WriteFile(port_, "\x01\x04\x00\x00\x00\x0D\x31\xCF", 8, &written, &o.ov)) {
    ASSERT_EQ(Comm().GetLastError(), ERROR_IO_PENDING);
  }
  EXPECT_EQ(Await(&o), 8u);
  EXPECT_EQ(Received(8), std::string("\x01\x04\x00\x00\x00\x0D\x31\xCF", 8));
}

TEST_F(PtyTest, WriteToAStalledLineEndsAtTheWriteDeadlineWithTheCountAccepted) {
  // Nobody reads the master: the pty buffer fills and the write stalls.
  COMMTIMEOUTS t{MAXDWORD, 0, 0, 0, 100};
  ASSERT_TRUE(Comm().SetCommTimeouts(port_, &t));
  std::vector<char> big(1 << 20, 'w');
  Overlapped o;
  const auto start = Clock::now();
  DWORD written = 0;
  if (!Comm().WriteFile(port_, big.data(), static_cast<DWORD>(big.size()), &written, &o.ov)) {
    ASSERT_EQ(Comm().GetLastError(), ERROR_IO_PENDING);
  }
  const DWORD count = Await(&o);
  EXPECT_GT(count, 0u);
  EXPECT_LT(count, big.size());
  EXPECT_GE(MsSince(start), 100);
  EXPECT_LT(MsSince(start), 100 + 150);
}

}  // namespace
}  // namespace platform::testing
