// SetCommMask / WaitCommEvent on a pseudo-terminal.
#include "pty_fixture.h"

namespace platform::testing {
namespace {

class CommEvents : public PtyTest {
 protected:
  // Starts a wait; `mask` receives the events.
  void StartWait(DWORD* mask, Overlapped* o) {
    if (!Comm().WaitCommEvent(port_, mask, &o->ov)) {
      ASSERT_EQ(Comm().GetLastError(), ERROR_IO_PENDING);
    }
  }
};

TEST_F(CommEvents, SetCommMaskEndsAPendingWaitWithMaskZero) {
  ASSERT_TRUE(Comm().SetCommMask(port_, EV_RXCHAR | EV_CTS));
  DWORD mask = 0xFFFF;
  Overlapped o;
  StartWait(&mask, &o);
  EXPECT_EQ(Comm().WaitForSingleObject(o.event.get(), 30), WAIT_TIMEOUT);
  ASSERT_TRUE(Comm().SetCommMask(port_, 0));
  EXPECT_EQ(Await(&o), 0u);
  EXPECT_EQ(mask, 0u);
}

TEST_F(CommEvents, ASecondWaitOrAWaitWithoutMaskIsRefused) {
  DWORD mask = 0;
  Overlapped o;
  EXPECT_FALSE(Comm().WaitCommEvent(port_, &mask, &o.ov));
  EXPECT_EQ(Comm().GetLastError(), ERROR_INVALID_PARAMETER);
  ASSERT_TRUE(Comm().SetCommMask(port_, EV_RXCHAR));
  StartWait(&mask, &o);
  DWORD mask2 = 0;
  Overlapped o2;
  EXPECT_FALSE(Comm().WaitCommEvent(port_, &mask2, &o2.ov));
  EXPECT_EQ(Comm().GetLastError(), ERROR_INVALID_PARAMETER);
  ASSERT_TRUE(Comm().SetCommMask(port_, 0));
  Await(&o);
}

TEST_F(CommEvents, ArrivingBytesReportRxCharAndTheEventCharRxFlagAndStayQueued) {
  DCB dcb = WindowDcb();
  dcb.EvtChar = '\n';
  ASSERT_TRUE(Comm().SetCommState(port_, &dcb));
  ASSERT_TRUE(Comm().SetCommMask(port_, EV_RXCHAR | EV_RXFLAG));
  DWORD mask = 0;
  Overlapped o;
  StartWait(&mask, &o);
  Send("abc");
  Await(&o);
  EXPECT_EQ(mask, EV_RXCHAR);

  StartWait(&mask, &o);
  Send("de\n");
  Await(&o);
  // Both events of the one arrival may come in one wait or in two.
  DWORD seen = mask;
  if (seen != (EV_RXCHAR | EV_RXFLAG)) {
    StartWait(&mask, &o);
    Await(&o);
    seen |= mask;
  }
  EXPECT_EQ(seen, EV_RXCHAR | EV_RXFLAG);

  COMSTAT stat{};
  DWORD errors = 0;
  ASSERT_TRUE(Comm().ClearCommError(port_, &errors, &stat));
  EXPECT_EQ(stat.cbInQue, 6u);
  SetTimeouts(MAXDWORD, 0, 0);
  char buffer[16];
  DWORD read = 0;
  ASSERT_TRUE(Comm().ReadFile(port_, buffer, 16, &read, &o.ov));
  EXPECT_EQ(std::string(buffer, read), "abcde\n");
}

TEST_F(CommEvents, EventsSeenWithoutAWaitCompleteTheNextWaitAtOnce) {
  ASSERT_TRUE(Comm().SetCommMask(port_, EV_RXCHAR | EV_TXEMPTY));
  DWORD written = 0;
  ASSERT_TRUE(Comm().WriteFile(port_, "x", 1, &written, nullptr));
  DWORD mask = 0;
  Overlapped o;
  StartWait(&mask, &o);
  Await(&o);
  EXPECT_EQ(mask, EV_TXEMPTY);
}

TEST_F(CommEvents, TheInputQueueReachingEightyPercentReportsRx80Full) {
  ASSERT_TRUE(Comm().SetupComm(port_, 10, 10));
  ASSERT_TRUE(Comm().SetupComm(port_, 0, 0));  // keeps the 10
  ASSERT_TRUE(Comm().SetCommMask(port_, EV_RX80FULL));
  DWORD mask = 0;
  Overlapped o;
  StartWait(&mask, &o);
  Send("1234567");
  EXPECT_EQ(Comm().WaitForSingleObject(o.event.get(), 50), WAIT_TIMEOUT);
  Send("8");
  Await(&o);
  EXPECT_EQ(mask, EV_RX80FULL);
}

TEST_F(CommEvents, AWaitOnADeviceThatWentAwayFailsInsteadOfRepeating) {
  ASSERT_TRUE(Comm().SetCommMask(port_, EV_RXCHAR));
  DWORD mask = 0;
  Overlapped o;
  StartWait(&mask, &o);
  CloseMaster();
  DWORD status = 0;
  Await(&o, &status);
  EXPECT_EQ(status, ERROR_GEN_FAILURE);
  EXPECT_FALSE(Comm().WaitCommEvent(port_, &mask, &o.ov));
  EXPECT_EQ(Comm().GetLastError(), ERROR_GEN_FAILURE);
}

}  // namespace
}  // namespace platform::testing
