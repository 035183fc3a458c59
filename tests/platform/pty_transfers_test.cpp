// Overlapped transfers: pending and completion, FIFO order, abort, purge,
// hang-up and close, on a pseudo-terminal.
#include "pty_fixture.h"

namespace platform::testing {
namespace {

TEST_F(PtyTest, PendingReadReportsIncompleteThenCompletesOnAnotherThread) {
  SetTimeouts(0, 0, 0);
  char buffer[4] = {};
  Overlapped o;
  StartRead(buffer, 4, &o);
  DWORD count = 0;
  EXPECT_FALSE(Comm().GetOverlappedResult(port_, &o.ov, &count, 0));
  EXPECT_EQ(Comm().GetLastError(), ERROR_IO_INCOMPLETE);
  EXPECT_EQ(Comm().WaitForSingleObject(o.event.get(), 0), WAIT_TIMEOUT);

  DWORD awaited = 0;
  BOOL ok = 0;
  std::thread waiter([&] { ok = Comm().GetOverlappedResult(port_, &o.ov, &awaited, 1); });
  Send("ping");
  waiter.join();
  EXPECT_TRUE(ok);
  EXPECT_EQ(awaited, 4u);
  EXPECT_EQ(std::string(buffer, 4), "ping");
}

TEST_F(PtyTest, OutstandingReadsCompleteInOrderAndEachTimesFromBecomingHead) {
  SetTimeouts(MAXDWORD, 2, 0);  // 100 bytes: 200 ms each
  char first[100];
  char second[100];
  Overlapped a;
  Overlapped b;
  const auto start = Clock::now();
  StartRead(first, 100, &a);
  StartRead(second, 100, &b);
  Send("123");
  EXPECT_EQ(Await(&a), 3u);
  EXPECT_EQ(std::string(first, 3), "123");
  Send("45");
  EXPECT_EQ(Await(&b), 2u);
  EXPECT_EQ(std::string(second, 2), "45");
  // The second read's 200 ms began when the first ended (at 200 ms), not when it was
  // issued: it ends near 400 ms, not near 200. (Measuring from the moment this thread saw
  // the first read end would add its wake-up delay and make the bound flaky.)
  EXPECT_GE(MsSince(start), 395.0);
}

TEST_F(PtyTest, ReadAbortEndsPendingReadsWith995AndLeavesTheirBuffersAlone) {
  SetTimeouts(0, 0, 0);
  char buffer[8] = "abcdefg";
  Overlapped a;
  Overlapped b;
  StartRead(buffer, 8, &a);
  StartRead(buffer, 8, &b);
  DWORD status = 0;
  std::thread waiter([&] { Await(&a, &status); });
  ASSERT_TRUE(Comm().PurgeComm(port_, PURGE_RXABORT | PURGE_TXABORT));
  waiter.join();
  EXPECT_EQ(status, ERROR_OPERATION_ABORTED);
  Await(&b, &status);
  EXPECT_EQ(status, ERROR_OPERATION_ABORTED);
  Send("late");  // after the abort nothing writes into the buffer
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_STREQ(buffer, "abcdefg");
}

TEST_F(PtyTest, RxClearDropsQueuedInputButNotPendingReads) {
  Send("stale");
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  COMSTAT stat{};
  DWORD errors = 0;
  ASSERT_TRUE(Comm().ClearCommError(port_, &errors, &stat));
  EXPECT_EQ(stat.cbInQue, 5u);
  ASSERT_TRUE(Comm().PurgeComm(port_, PURGE_RXCLEAR | PURGE_TXCLEAR));
  ASSERT_TRUE(Comm().ClearCommError(port_, &errors, &stat));
  EXPECT_EQ(stat.cbInQue, 0u);

  SetTimeouts(0, 0, 0);
  char buffer[5];
  Overlapped o;
  StartRead(buffer, 5, &o);
  ASSERT_TRUE(Comm().PurgeComm(port_, PURGE_RXCLEAR));
  Send("fresh");
  EXPECT_EQ(Await(&o), 5u);
  EXPECT_EQ(std::string(buffer, 5), "fresh");
}

TEST_F(PtyTest, ClosingTheMasterFailsThePendingReadAndLaterOnes) {
  SetTimeouts(0, 0, 0);
  char buffer[8];
  Overlapped o;
  StartRead(buffer, 8, &o);
  CloseMaster();
  DWORD status = 0;
  Await(&o, &status);
  EXPECT_EQ(status, ERROR_GEN_FAILURE);
  DWORD read = 0;
  EXPECT_FALSE(Comm().ReadFile(port_, buffer, 8, &read, &o.ov));
  EXPECT_EQ(Comm().GetLastError(), ERROR_GEN_FAILURE);
}

TEST_F(PtyTest, CloseHandleAbortsPendingTransfersAndForgetsTheHandle) {
  SetTimeouts(0, 0, 0);
  char buffer[8];
  Overlapped o;
  StartRead(buffer, 8, &o);
  ASSERT_TRUE(Comm().CloseHandle(port_));
  EXPECT_EQ(Comm().WaitForSingleObject(o.event.get(), 1000), WAIT_OBJECT_0);
  DWORD count = 0;
  EXPECT_FALSE(Comm().GetOverlappedResult(port_, &o.ov, &count, 0));
  EXPECT_EQ(Comm().GetLastError(), ERROR_OPERATION_ABORTED);
  EXPECT_FALSE(Comm().CloseHandle(port_));
  EXPECT_EQ(Comm().GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(Comm().PurgeComm(port_, PURGE_RXCLEAR));
  EXPECT_EQ(Comm().GetLastError(), ERROR_INVALID_HANDLE);
  port_ = INVALID_HANDLE_VALUE;
}

TEST_F(PtyTest, WhatEndedWritesSentSurvivesAPurgeAndTheClose) {
  SetTimeouts(MAXDWORD, 6, 0);
  DWORD written = 0;
  ASSERT_TRUE(Comm().WriteFile(port_, "first", 5, &written, nullptr));
  ASSERT_TRUE(Comm().PurgeComm(port_, PURGE_RXCLEAR | PURGE_TXCLEAR));
  ASSERT_TRUE(Comm().WriteFile(port_, "last", 4, &written, nullptr));
  ASSERT_TRUE(Comm().CloseHandle(port_));
  port_ = INVALID_HANDLE_VALUE;
  EXPECT_EQ(Received(9), "firstlast");
}

TEST_F(PtyTest, SynchronousTransfersWithoutOverlappedWaitForTheirEnd) {
  SetTimeouts(MAXDWORD, 6, 0);
  DWORD written = 0;
  ASSERT_TRUE(Comm().WriteFile(port_, "req", 3, &written, nullptr));
  EXPECT_EQ(written, 3u);
  EXPECT_EQ(Received(3), "req");
  Send("rep");
  char buffer[3];
  DWORD read = 0;
  ASSERT_TRUE(Comm().ReadFile(port_, buffer, 3, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "rep");
}

TEST(WinEvents, WaitsHonourResetModesTimeoutsAndWaitAll) {
  const HANDLE manual = Comm().CreateEventA(nullptr, 1, 0, nullptr);
  const HANDLE automatic = Comm().CreateEventA(nullptr, 0, 1, nullptr);
  const HANDLE both[] = {manual, automatic};
  EXPECT_EQ(Comm().WaitForMultipleObjects(2, both, 0, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(Comm().WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);  // consumed
  const auto start = Clock::now();
  EXPECT_EQ(Comm().WaitForMultipleObjects(2, both, 0, 50), WAIT_TIMEOUT);
  EXPECT_GE(MsSince(start), 50);
  std::thread setter([&] { Comm().SetEvent(manual); });
  EXPECT_EQ(Comm().WaitForSingleObject(manual, INFINITE), WAIT_OBJECT_0);
  setter.join();
  EXPECT_EQ(Comm().WaitForSingleObject(manual, 0), WAIT_OBJECT_0);  // stays set
  EXPECT_EQ(Comm().WaitForMultipleObjects(2, both, 1, 0), WAIT_TIMEOUT);
  Comm().SetEvent(automatic);
  EXPECT_EQ(Comm().WaitForMultipleObjects(2, both, 1, 0), WAIT_OBJECT_0);
  Comm().ResetEvent(manual);
  EXPECT_EQ(Comm().WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(Comm().CloseHandle(manual));
  EXPECT_TRUE(Comm().CloseHandle(automatic));
  EXPECT_EQ(Comm().WaitForSingleObject(manual, 0), WAIT_FAILED);
  EXPECT_EQ(Comm().GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace platform::testing
