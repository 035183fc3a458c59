// The event thread over the Linux backend on pseudo-terminals, with the plain
// toolkit's main loop. Bounds are generous: the machine is shared.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <vector>

#include "comport/com_port.h"
#include "fake_port.h"
#include "main_loop.h"
#include "support/pseudo_terminal.h"

namespace comport {
namespace {

using namespace std::chrono_literals;

double ProcessCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

class PtyEventsTest : public ::testing::TestWithParam<TSyncMethod> {
 protected:
  PtyEventsTest() {
    LoadComPort1Definition(port);
    port.SetPort(pty.SlavePath());
    port.SetEvents({evRxChar});
    port.SetSyncMethod(GetParam());
  }

  ReportingToolkit toolkit;
  runtime::ScopedToolkit scoped_toolkit{toolkit};
  vlk_test::PseudoTerminal pty;
  EventLog events;
  TComPort port;
};

TEST_P(PtyEventsTest, ArrivingBytesAreCountedAndStayQueuedForTheHandler) {
  std::vector<std::uint8_t> received(8, 0);
  std::atomic<std::int32_t> read_count{-1};
  port.OnRxChar = [&](TCustomComPort& sender, std::int32_t count) {
    events.Add(std::to_string(count));
    if (count == 5) read_count = sender.ReceiveBytes(received.data(), count);
  };
  port.SetConnected(true);
  pty.Write({1, 2, 3, 4, 5});
  ASSERT_TRUE(RunLoopUntil([&] { return read_count.load() >= 0; }));
  EXPECT_EQ(read_count.load(), 5);
  EXPECT_EQ(std::vector<std::uint8_t>(received.begin(), received.begin() + 5),
            (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
  if (GetParam() != smNone) {
    EXPECT_EQ(events.Threads().back(), std::this_thread::get_id());
  }
  port.SetConnected(false);
}

TEST_P(PtyEventsTest, HangUpNeitherSpinsNorRedelivers) {
  port.OnRxChar = [&](TCustomComPort&, std::int32_t count) { events.Add(std::to_string(count)); };
  port.SetConnected(true);
  pty.Write({7});
  ASSERT_TRUE(RunLoopUntil([&] { return events.Size() == 1; }));
  pty.CloseMaster();
  RunLoopFor(100ms);  // the hang-up is seen
  const double cpu_before = ProcessCpuMs();
  RunLoopFor(300ms);
  const double cpu_spent = ProcessCpuMs() - cpu_before;
  EXPECT_LT(cpu_spent, 100.0);  // a spinning thread would take about 300
  EXPECT_LE(events.Size(), 2u);
  const std::size_t delivered = events.Size();
  RunLoopFor(100ms);
  EXPECT_EQ(events.Size(), delivered);
  port.SetConnected(false);
  EXPECT_FALSE(port.EventThreadCreated());
}

INSTANTIATE_TEST_SUITE_P(BySyncMethod, PtyEventsTest,
                         ::testing::Values(smThreadSync, smWindowSync, smNone));

}  // namespace
}  // namespace comport
