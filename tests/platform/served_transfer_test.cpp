// A transfer served by the thread that waits for its event: that thread is
// woken by whatever ends its wait, shares the input with the I/O thread
// without a false hang-up, hands a transfer it stops waiting for back to the
// I/O thread, and is out of the device before a close returns.
#include <atomic>

#include "pty_fixture.h"

namespace platform::testing {
namespace {

// Far more than waking a thread takes, even on a busy machine, and far less
// than the waits' own limit.
constexpr double kPromptlyMs = 1000;

// Waits for `o`'s event on a thread of its own, which serves the transfer; far
// longer than any wait here should take, and a lost wake-up shows as a time-out.
class ServedWait {
 public:
  explicit ServedWait(Overlapped* o)
      : thread_([this, o] { result_ = Comm().WaitForSingleObject(o->event.get(), 5000); }) {}
  ~ServedWait() {
    if (thread_.joinable()) thread_.join();
  }
  ServedWait(const ServedWait&) = delete;
  ServedWait& operator=(const ServedWait&) = delete;

  DWORD Join() {
    thread_.join();
    return result_;
  }

 private:
  DWORD result_ = WAIT_FAILED;
  std::thread thread_;
};

// The count of a transfer that nobody waits for, once it has ended; polled
// without waiting, so that no thread serves it.
DWORD CountWhenEnded(HANDLE port, Overlapped* o, std::chrono::milliseconds limit) {
  const auto until = Clock::now() + limit;
  DWORD count = 0;
  while (!Comm().GetOverlappedResult(port, &o->ov, &count, 0)) {
    EXPECT_EQ(Comm().GetLastError(), ERROR_IO_INCOMPLETE);
    if (Clock::now() > until) {
      ADD_FAILURE() << "the transfer did not end";
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return count;
}

TEST_F(PtyTest, SetEventEndsAServedWaitAndTheIoThreadTakesTheReadBack) {
  SetTimeouts(0, 0, 0);
  char buffer[4] = {};
  Overlapped o;
  StartRead(buffer, 4, &o);
  {
    ServedWait waiter(&o);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // let it settle in its poll
    // Makes the I/O thread look again while the read is served, and so leave its input alone.
    ASSERT_TRUE(Comm().PurgeComm(port_, PURGE_RXCLEAR));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto set_at = Clock::now();
    ASSERT_TRUE(Comm().SetEvent(o.event.get()));
    EXPECT_EQ(waiter.Join(), WAIT_OBJECT_0);
    EXPECT_LT(MsSince(set_at), kPromptlyMs);
  }
  // Nobody waits now: the bytes still reach the read.
  ASSERT_TRUE(Comm().ResetEvent(o.event.get()));
  Send("pong");
  EXPECT_EQ(CountWhenEnded(port_, &o, std::chrono::seconds(2)), 4u);
  EXPECT_EQ(std::string(buffer, 4), "pong");
  EXPECT_EQ(Comm().WaitForSingleObject(o.event.get(), 0), WAIT_OBJECT_0);
}

TEST_F(PtyTest, AReadWhoseWaiterGaveUpStillEndsAtItsTimeOut) {
  SetTimeouts(MAXDWORD, 2, 0);  // 50 bytes: 100 ms
  char buffer[50];
  Overlapped o;
  const auto start = Clock::now();
  StartRead(buffer, 50, &o);
  EXPECT_EQ(Comm().WaitForSingleObject(o.event.get(), 20), WAIT_TIMEOUT);
  EXPECT_LT(MsSince(start), 100.0);
  EXPECT_EQ(CountWhenEnded(port_, &o, std::chrono::seconds(2)), 0u);
  EXPECT_GE(MsSince(start), 100.0);
  EXPECT_LT(MsSince(start), 100.0 + 150.0);
}

// Nobody waits and so nobody serves: the I/O thread takes the bytes and keeps
// the time-out, a little after the start at most, which its starter is given
// to wait.
TEST_F(PtyTest, TransfersThatNobodyWaitsForAreTheIoThreads) {
  SetTimeouts(0, 0, 0);
  char buffer[4] = {};
  Overlapped o;
  StartRead(buffer, 4, &o);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  Send("ping");
  EXPECT_EQ(CountWhenEnded(port_, &o, std::chrono::seconds(2)), 4u);
  EXPECT_EQ(std::string(buffer, 4), "ping");
  EXPECT_EQ(Comm().WaitForSingleObject(o.event.get(), 0), WAIT_OBJECT_0);

  SetTimeouts(MAXDWORD, 2, 0);  // 50 bytes: 100 ms
  char timed[50];
  Overlapped t;
  const auto start = Clock::now();
  StartRead(timed, 50, &t);
  EXPECT_EQ(CountWhenEnded(port_, &t, std::chrono::seconds(2)), 0u);
  EXPECT_GE(MsSince(start), 100.0);
  EXPECT_LT(MsSince(start), 100.0 + 150.0);
}

// Started and waited for in one call, with no look by the I/O thread prepared:
// the call returns once the transfer has ended, at its count or time-out, as a
// wait after a plain start does; behind a read that another thread serves it
// is served by that thread, then by whoever serves next.
TEST_F(PtyTest, ATransferWaitedForInOneCallEndsAsAStartAndItsWaitWould) {
  const auto ended_count = [this](Overlapped* o) {
    DWORD count = 0;
    EXPECT_TRUE(Comm().GetOverlappedResult(port_, &o->ov, &count, 0)) << Comm().GetLastError();
    return count;
  };
  SetTimeouts(0, 0, 0);
  char buffer[4] = {};
  Overlapped o;
  DWORD wait = WAIT_FAILED;
  std::thread peer([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    Send("pong");
  });
  ASSERT_TRUE(Comm().ReadFileAndWait(port_, buffer, 4, &o.ov, &wait));
  peer.join();
  EXPECT_EQ(wait, WAIT_OBJECT_0);
  EXPECT_EQ(ended_count(&o), 4u);
  EXPECT_EQ(std::string(buffer, 4), "pong");

  SetTimeouts(MAXDWORD, 2, 0);  // 50 bytes: 100 ms
  char timed[50];
  const auto start = Clock::now();
  ASSERT_TRUE(Comm().ReadFileAndWait(port_, timed, 50, &o.ov, &wait));
  EXPECT_EQ(wait, WAIT_OBJECT_0);
  EXPECT_GE(MsSince(start), 100.0);
  EXPECT_LT(MsSince(start), 100.0 + 150.0);
  EXPECT_EQ(ended_count(&o), 0u);

  ASSERT_TRUE(Comm().WriteFileAndWait(port_, "ping", 4, &o.ov, &wait));
  EXPECT_EQ(wait, WAIT_OBJECT_0);
  EXPECT_EQ(ended_count(&o), 4u);
  EXPECT_EQ(Received(4), "ping");

  // A start that fails reports its own code and waits for nothing.
  EXPECT_FALSE(Comm().WriteFileAndWait(port_ + 1000, "ping", 4, &o.ov, &wait));
  EXPECT_EQ(Comm().GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(Comm().ReadFileAndWait(port_, buffer, 4, nullptr, &wait));
  EXPECT_EQ(Comm().GetLastError(), ERROR_INVALID_PARAMETER);

  SetTimeouts(0, 0, 0);
  char first[2] = {};
  Overlapped s;
  StartRead(first, 2, &s);
  ServedWait waiter(&s);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // let it settle in its poll
  std::thread sender([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    Send("okxy");
  });
  char second[2] = {};
  ASSERT_TRUE(Comm().ReadFileAndWait(port_, second, 2, &o.ov, &wait));
  sender.join();
  EXPECT_EQ(wait, WAIT_OBJECT_0);
  EXPECT_EQ(ended_count(&o), 2u);
  EXPECT_EQ(std::string(second, 2), "xy");
  EXPECT_EQ(waiter.Join(), WAIT_OBJECT_0);
  EXPECT_EQ(Await(&s), 2u);
  EXPECT_EQ(std::string(first, 2), "ok");
}

TEST_F(PtyTest, CloseEndsAServedWaitAndReturnsOnceTheDeviceIsFree) {
  SetTimeouts(0, 0, 0);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    char buffer[8];
    Overlapped o;
    StartRead(buffer, 8, &o);
    {
      ServedWait waiter(&o);
      std::this_thread::sleep_for(std::chrono::milliseconds(round % 3));
      const auto closed_at = Clock::now();
      ASSERT_TRUE(Comm().CloseHandle(port_));
      // Free for another open at once: nobody holds the descriptor any more.
      port_ = Open();
      ASSERT_NE(port_, INVALID_HANDLE_VALUE) << "error " << Comm().GetLastError();
      EXPECT_EQ(waiter.Join(), WAIT_OBJECT_0);
      EXPECT_LT(MsSince(closed_at), kPromptlyMs);
    }
    DWORD count = 0;
    EXPECT_FALSE(Comm().GetOverlappedResult(port_, &o.ov, &count, 0));
    EXPECT_EQ(Comm().GetLastError(), ERROR_OPERATION_ABORTED);
    SetTimeouts(0, 0, 0);
  }
}

TEST_F(PtyTest, AServedWriteGoesOnOnceTheLineTakesBytesAgain) {
  SetTimeouts(MAXDWORD, 0, 0);             // and writes: 150 ms a byte plus 1 s, far away
  const std::string big(256 * 1024, 'w');  // more than the pseudo-terminal holds
  Overlapped o;
  DWORD written = 0;
  if (!Comm().WriteFile(port_, big.data(), static_cast<DWORD>(big.size()), &written, &o.ov)) {
    ASSERT_EQ(Comm().GetLastError(), ERROR_IO_PENDING);
  }
  ServedWait waiter(&o);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // stalled: nobody reads yet
  EXPECT_EQ(Received(big.size(), std::chrono::seconds(4)).size(), big.size());
  EXPECT_EQ(waiter.Join(), WAIT_OBJECT_0);
  EXPECT_EQ(Await(&o), big.size());
}

// A pending wait for EV_RXCHAR makes the I/O thread watch the input too, so
// it and the serving waiter are woken by the same bytes: whichever takes them,
// the other finds nothing, which is no hang-up, and a read that the I/O
// thread completes wakes its waiter.
TEST_F(PtyTest, ServedReadsAndTheIoThreadShareTheInput) {
  SetTimeouts(0, 0, 0);
  ASSERT_TRUE(Comm().SetCommMask(port_, EV_RXCHAR));
  std::atomic<bool> stop{false};
  std::thread events([&] {
    while (!stop.load()) {
      Overlapped o;
      DWORD mask = 0;
      if (!Comm().WaitCommEvent(port_, &mask, &o.ov) && Comm().GetLastError() != ERROR_IO_PENDING) {
        return;
      }
      Comm().WaitForSingleObject(o.event.get(), INFINITE);
    }
  });
  constexpr int kRounds = 300;
  std::string received;
  for (int round = 0; round < kRounds && !HasFailure(); ++round) {
    char buffer[2];
    Overlapped o;
    StartRead(buffer, 2, &o);
    std::thread peer([this] { Send("ab"); });
    DWORD status = 0;
    const DWORD count = Await(&o, &status);
    peer.join();
    ASSERT_EQ(status, ERROR_SUCCESS) << "round " << round;
    received.append(buffer, count);
  }
  stop = true;
  ASSERT_TRUE(Comm().SetCommMask(port_, 0));  // ends the last event wait
  events.join();
  EXPECT_EQ(received.size(), 2u * kRounds);
  EXPECT_EQ(received.find_first_not_of("ab"), std::string::npos);
}

}  // namespace
}  // namespace platform::testing
