// A transfer started while another thread serves one in the other direction:
// the serving thread must take up the new one too, at once, whether or not
// the transfers have time-outs. Each wait is bounded, so a transfer left
// unserved fails the test instead of hanging it.
#include <termios.h>

#include <future>

#include "pty_fixture.h"

namespace platform::testing {
namespace {

// How long the second transfer may take: far more than it needs once served,
// far less than the time-outs of the timed case, which would end it too.
constexpr DWORD kPromptlyMs = 1500;
constexpr DWORD kTimedOutMs = 3000;
constexpr char kRequest[] = "request!";

struct Timing {
  const char* name;
  COMMTIMEOUTS timeouts;
};

// The port's output can be held as flow control would hold it: a write pends
// with its bytes unsent, and only a poll for room notices the line going on.
class CrossDirection : public PtyTest, public ::testing::WithParamInterface<Timing> {
 protected:
  void BeforeOpen() override {
    line_ = ::open(slave_path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(line_, 0);
  }
  void SetUp() override {
    PtyTest::SetUp();
    const COMMTIMEOUTS t = GetParam().timeouts;
    ASSERT_TRUE(Comm().SetCommTimeouts(port_, &t));
  }
  void TearDown() override {
    Release();
    PtyTest::TearDown();
    if (line_ >= 0) ::close(line_);
  }
  void Hold() { ASSERT_EQ(::tcflow(line_, TCOOFF), 0); }
  void Release() { ASSERT_EQ(::tcflow(line_, TCOON), 0); }

  // Waits for `o` on a thread of its own, which serves the device while it
  // is the first to wait.
  static std::future<DWORD> WaitOn(Overlapped* o, DWORD limit_ms) {
    return std::async(std::launch::async, [o, limit_ms] {
      return Comm().WaitForSingleObject(o->event.get(), limit_ms);
    });
  }
  // The bytes must stay in place until the write ends.
  void StartWrite(const char (&data)[9], Overlapped* o) {
    DWORD written = 0;
    ASSERT_FALSE(Comm().WriteFile(port_, data, 8, &written, &o->ov));
    ASSERT_EQ(Comm().GetLastError(), ERROR_IO_PENDING);
  }
  // Lets the first waiter settle in its poll.
  static void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }

  int line_ = -1;
};

TEST_P(CrossDirection, AWriteStartedWhileAReadIsServedGoesOut) {
  char reply[8] = {};
  Overlapped read;
  StartRead(reply, sizeof reply, &read);
  auto read_waiter = WaitOn(&read, 5000);
  Settle();

  Hold();
  Overlapped write;
  StartWrite(kRequest, &write);
  auto write_waiter = WaitOn(&write, kPromptlyMs);
  Settle();
  Release();
  EXPECT_EQ(write_waiter.get(), WAIT_OBJECT_0);
  EXPECT_EQ(Received(8, std::chrono::milliseconds(kPromptlyMs)), "request!");

  Send("answered");
  EXPECT_EQ(read_waiter.get(), WAIT_OBJECT_0);
  EXPECT_EQ(Await(&read), 8u);
  EXPECT_EQ(std::string(reply, 8), "answered");
}

TEST_P(CrossDirection, AReadStartedWhileAWriteIsServedTakesItsInput) {
  Hold();
  Overlapped write;
  StartWrite(kRequest, &write);
  auto write_waiter = WaitOn(&write, 5000);
  Settle();

  char reply[8] = {};
  Overlapped read;
  StartRead(reply, sizeof reply, &read);
  auto read_waiter = WaitOn(&read, kPromptlyMs);
  Send("answered");
  EXPECT_EQ(read_waiter.get(), WAIT_OBJECT_0);
  EXPECT_EQ(Await(&read), 8u);
  EXPECT_EQ(std::string(reply, 8), "answered");

  Release();
  EXPECT_EQ(write_waiter.get(), WAIT_OBJECT_0);
  EXPECT_EQ(Received(8), "request!");
}

INSTANTIATE_TEST_SUITE_P(Platform, CrossDirection,
                         ::testing::Values(Timing{"NoTimeouts", {0, 0, 0, 0, 0}},
                                           Timing{"Timeouts", {0, 0, kTimedOutMs, 0, kTimedOutMs}}),
                         [](const ::testing::TestParamInfo<Timing>& param) {
                           return param.param.name;
                         });

}  // namespace
}  // namespace platform::testing
