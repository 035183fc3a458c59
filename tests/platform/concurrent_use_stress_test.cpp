// Ten seconds of the threads the component puts on one device at once: a
// reader, a writer that purges after each write as the exchange does, and an
// event thread, while the other end keeps talking. Any of them emptying the
// input queue under another's feet must not pass for a hang-up; a real one
// still must.
#include <atomic>

#include "pty_fixture.h"

namespace platform::testing {
namespace {

constexpr auto kRunTime = std::chrono::seconds(10);
// Far beyond any transfer here (reads end after 5 ms, the peer drains every
// write) and the run's end, where clearing the mask ends the last event wait.
constexpr DWORD kWaitLimitMs = 3000;

class ConcurrentUse : public PtyTest {
 protected:
  // Runs `step` until the run ends or a step fails; keeps the first failure.
  template <typename Step>
  std::thread Loop(const char* who, Step step) {
    return std::thread([this, who, step] {
      while (!stop_.load()) {
        if (const DWORD code = step(); code != ERROR_SUCCESS) {
          Fail(who, code);
          return;
        }
      }
    });
  }
  void Fail(const char* who, DWORD code) {
    DWORD none = ERROR_SUCCESS;
    if (failure_.compare_exchange_strong(none, code)) failed_thread_ = who;
  }
  // Waits for the end of the transfer on `o`: ERROR_SUCCESS or its code. The
  // wait on the event alone serves the device, beside the other threads'
  // transfers; bounded, a transfer that nobody serves fails with WAIT_TIMEOUT.
  DWORD Finish(BOOL started, Overlapped* o) {
    if (!started && Comm().GetLastError() != ERROR_IO_PENDING) return Comm().GetLastError();
    if (const DWORD waited = Comm().WaitForSingleObject(o->event.get(), kWaitLimitMs);
        waited != WAIT_OBJECT_0) {
      return waited;
    }
    DWORD count = 0;
    return Comm().GetOverlappedResult(port_, &o->ov, &count, 0) ? ERROR_SUCCESS
                                                                : Comm().GetLastError();
  }

  std::atomic<bool> stop_{false};
  std::atomic<bool> mask_cleared_{false};
  std::atomic<DWORD> failure_{ERROR_SUCCESS};
  std::atomic<const char*> failed_thread_{""};
};

TEST_F(ConcurrentUse, ReadsWritesPurgesAndEventWaitsSeeNoFalseHangUp) {
  SetTimeouts(MAXDWORD, 0, 5);  // a read ends at 64 bytes or after 5 ms
  ASSERT_TRUE(Comm().SetCommMask(port_, EV_RXCHAR | EV_TXEMPTY));

  std::thread peer([this] {
    while (!stop_.load()) {
      [[maybe_unused]] const ssize_t sent = ::write(master_, "0123456789abcdef", 16);
      char sink[256];
      while (::read(master_, sink, sizeof sink) > 0) {
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  std::thread reader = Loop("reader", [this] {
    char buffer[64];
    Overlapped o;
    DWORD n = 0;
    return Finish(Comm().ReadFile(port_, buffer, sizeof buffer, &n, &o.ov), &o);
  });
  std::thread writer = Loop("writer", [this] {
    Overlapped o;
    DWORD n = 0;
    const DWORD code = Finish(Comm().WriteFile(port_, "request!", 8, &n, &o.ov), &o);
    if (code != ERROR_SUCCESS) return code;
    return Comm().PurgeComm(port_, PURGE_RXCLEAR | PURGE_TXCLEAR) ? ERROR_SUCCESS
                                                                  : Comm().GetLastError();
  });
  std::thread events = Loop("event waiter", [this] {
    Overlapped o;
    DWORD mask = 0;
    const DWORD code = Finish(Comm().WaitCommEvent(port_, &mask, &o.ov), &o);
    // The run's end clears the mask; a wait this thread starts after that is refused, as it
    // must be, and only ends the loop.
    return code == ERROR_INVALID_PARAMETER && mask_cleared_.load() ? ERROR_SUCCESS : code;
  });

  const auto until = Clock::now() + kRunTime;
  while (Clock::now() < until && failure_.load() == ERROR_SUCCESS) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  stop_ = true;
  reader.join();
  writer.join();
  mask_cleared_ = true;
  Comm().SetCommMask(port_, 0);  // ends a wait that no event would end
  events.join();
  peer.join();
  EXPECT_EQ(failure_.load(), ERROR_SUCCESS) << "failed in the " << failed_thread_.load();

  // A real unplug is still one, for a pending read and a pending wait alike.
  ASSERT_TRUE(Comm().PurgeComm(port_, PURGE_RXCLEAR));
  SetTimeouts(0, 0, 0);
  ASSERT_TRUE(Comm().SetCommMask(port_, EV_RXCHAR));
  char buffer[8];
  Overlapped read;
  StartRead(buffer, sizeof buffer, &read);
  Overlapped wait;
  DWORD mask = 0;
  const BOOL waiting = Comm().WaitCommEvent(port_, &mask, &wait.ov);
  CloseMaster();
  DWORD status = 0;
  Await(&read, &status);
  EXPECT_EQ(status, ERROR_GEN_FAILURE);
  EXPECT_EQ(Finish(waiting, &wait), ERROR_GEN_FAILURE);
}

}  // namespace
}  // namespace platform::testing
