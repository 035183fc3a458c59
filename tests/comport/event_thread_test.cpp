// The event thread over the recording fake: the exact calls of starting and
// stopping, the event order, the delivery by SyncMethod, and how a failing
// wait or a raising handler ends the thread.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

#include "comport/event_mask.h"
#include "fake_port.h"
#include "main_loop.h"
#include "platform/win_errors.h"
#include "runtime/event_receiver.h"

namespace comport {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using namespace std::chrono_literals;

TEST(EventMaskTest, OneTableBothWays) {
  const struct {
    TComEvent event;
    platform::DWORD bit;
  } kCases[] = {{evRxChar, 0x0001}, {evTxEmpty, 0x0004}, {evRxFlag, 0x0002}, {evRing, 0x0100},
                {evBreak, 0x0040},  {evCTS, 0x0008},     {evDSR, 0x0010},    {evError, 0x0080},
                {evRLSD, 0x0020},   {evRx80Full, 0x0400}};
  for (const auto& c : kCases) {
    EXPECT_EQ(EventsToMask({c.event}), c.bit) << c.event;
    EXPECT_EQ(MaskToEvents(c.bit), TComEvents{c.event}) << c.event;
  }
  EXPECT_EQ(EventsToMask(kAllComEvents), 0x05FFu);
  EXPECT_EQ(MaskToEvents(platform::EV_PERR), TComEvents{});
  EXPECT_EQ(MaskToEvents(0xFFFFFFFFu), kAllComEvents);
}

class EventThreadTest : public FakePortTest {
 protected:
  EventThreadTest() { port.SetPort("COM2"); }
  ~EventThreadTest() override { port.SetConnected(false); }

  void Open(TComEvents watched, TSyncMethod sync_method) {
    port.SetEvents(watched);
    port.SetSyncMethod(sync_method);
    port.SetConnected(true);
    ASSERT_TRUE(RunLoopUntil([&] { return comm.CommEventPending(); }));
  }
  void AttachEvents() {
    port.OnRxChar = [this](TCustomComPort&, std::int32_t n) {
      events.Add("RxChar " + std::to_string(n));
    };
    port.OnError = [this](TCustomComPort&, TComErrors) { events.Add("Error"); };
    port.OnRing = [this](TCustomComPort&) { events.Add("Ring"); };
    port.OnTxEmpty = [this](TCustomComPort&) { events.Add("TxEmpty"); };
  }

  // Runs `body` on a thread of its own while this (the main) thread serves its
  // queue, as a program's main thread does in its loop.
  void OnWorkerWhileTheMainThreadServes(const std::function<void()>& body) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
      body();
      done = true;
    });
    EXPECT_TRUE(RunLoopUntil([&] { return done.load(); }, 20s));
    worker.join();
  }

  ReportingToolkit toolkit;
  runtime::ScopedToolkit scoped_toolkit{toolkit};
  EventLog events;
};

TEST_F(EventThreadTest, EmptyEventsStartNothingButStillAnnounceTheLines) {
  for (TSyncMethod sync_method : {smThreadSync, smWindowSync, smNone}) {
    log.entries.clear();
    log.Attach(port);
    port.SetEvents({});
    port.SetSyncMethod(sync_method);
    comm.ClearCalls();
    port.SetConnected(true);
    EXPECT_FALSE(port.EventThreadCreated());
    EXPECT_FALSE(port.HasEventReceiver());
    port.SetConnected(false);
    EXPECT_EQ(comm.CountOf("CreateEventA"), 0u);
    EXPECT_EQ(comm.CountOf("SetCommMask"), 0u);
    EXPECT_EQ(comm.CountOf("WaitCommEvent"), 0u);
    EXPECT_THAT(log.entries, ElementsAre("BeforeOpen", "AfterOpen", "CTS-", "DSR-", "RLSD-", "CTS-",
                                         "DSR-", "RLSD-", "BeforeClose", "AfterClose"));
  }
}

TEST_F(EventThreadTest, StartAndStopMakeTheirCallsInOrder) {
  port.SetMonitorPriority(runtime::tpLower);
  Open({evRxChar, evRing}, smNone);
  const auto calls = comm.Calls();
  std::vector<std::string> started;
  for (const auto& call : calls) {
    if (call.name == "CreateEventA" || call.name == "SetCommMask" || call.name == "WaitCommEvent") {
      started.push_back(call.name + " " + std::to_string(call.args.back()));
    }
  }
  ASSERT_EQ(started.size(), 4u);
  EXPECT_EQ(started[0], "CreateEventA 0");   // the stop event: manual reset, not signalled
  EXPECT_EQ(started[1], "SetCommMask 257");  // EV_RXCHAR | EV_RING
  EXPECT_EQ(started[2], "CreateEventA 1");   // the OVERLAPPED event: signalled
  EXPECT_EQ(started[3].rfind("WaitCommEvent", 0), 0u);
  EXPECT_TRUE(port.EventThreadCreated());
  EXPECT_FALSE(port.HasEventReceiver());

  comm.ClearCalls();
  port.SetConnected(false);
  std::vector<std::string> stopped;
  for (const auto& call : comm.Calls()) {
    if (call.name == "SetEvent" || call.name == "SetCommMask" || call.name == "PurgeComm" ||
        call.name == "CloseHandle") {
      stopped.push_back(call.name + " " + std::to_string(call.args.back()));
    }
  }
  // Transfers cancelled; stop event set; mask cleared and both queues
  // discarded by the thread; its OVERLAPPED event (102) closed; the stop event
  // (101) closed only after the wait; then the device (100).
  EXPECT_THAT(stopped, ElementsAre("PurgeComm 3", "SetEvent 101", "SetCommMask 0", "PurgeComm 12",
                                   "CloseHandle 102", "CloseHandle 101", "CloseHandle 100"));
  EXPECT_EQ(comm.OpenHandles(), 0u);
  EXPECT_FALSE(port.EventThreadCreated());
}

TEST_F(EventThreadTest, ErrorComesBeforeRxCharAndOnlyWithErrors) {
  const struct {
    platform::DWORD line_errors;
    std::vector<std::string> expected;
  } kCases[] = {{platform::CE_FRAME, {"Error", "RxChar 3"}}, {0, {"RxChar 3"}}};
  AttachEvents();
  Open({evRxChar, evError}, smThreadSync);
  for (const auto& c : kCases) {
    EventLog fresh;
    port.OnRxChar = [&](TCustomComPort& p, std::int32_t n) {
      fresh.Add("RxChar " + std::to_string(n));
      std::uint8_t bytes[3];
      p.ReceiveBytes(bytes, n);  // a handler reads what it was told about
    };
    port.OnError = [&](TCustomComPort&, TComErrors) { fresh.Add("Error"); };
    comm.SetLineErrors(c.line_errors);
    comm.QueueInput({1, 2, 3});
    comm.CompleteCommEvent(platform::EV_ERR | platform::EV_RXCHAR | platform::EV_PERR);
    ASSERT_TRUE(RunLoopUntil([&] { return fresh.Size() == c.expected.size(); }));
    RunLoopFor(30ms);
    EXPECT_EQ(fresh.Entries(), c.expected);
    EXPECT_THAT(fresh.Threads(), Each(std::this_thread::get_id()));  // the main thread
    port.OnRxChar = nullptr;
    port.OnError = nullptr;
    ASSERT_TRUE(RunLoopUntil([&] { return comm.CommEventPending(); }));
  }
}

TEST_F(EventThreadTest, WindowSyncSendsOneMessagePerEventToTheMainThread) {
  AttachEvents();
  Open(kAllComEvents, smWindowSync);
  EXPECT_TRUE(port.HasEventReceiver());
  const struct {
    platform::DWORD mask;
    std::vector<std::string> expected;
  } kCases[] = {
      {platform::EV_RLSD, {"RLSD"}},
      {platform::EV_RING, {"Ring"}},
      {platform::EV_RING | platform::EV_TXEMPTY | platform::EV_RLSD, {"TxEmpty", "Ring", "RLSD"}}};
  for (const auto& c : kCases) {
    EventLog fresh;
    port.OnRing = [&](TCustomComPort&) { fresh.Add("Ring"); };
    port.OnRLSDChange = [&](TCustomComPort&, bool) { fresh.Add("RLSD"); };
    port.OnTxEmpty = [&](TCustomComPort&) { fresh.Add("TxEmpty"); };
    comm.CompleteCommEvent(c.mask);
    ASSERT_TRUE(RunLoopUntil([&] { return fresh.Size() == c.expected.size(); }));
    RunLoopFor(30ms);
    EXPECT_EQ(fresh.Entries(), c.expected);
    EXPECT_THAT(fresh.Threads(), Each(std::this_thread::get_id()));
    port.OnRing = nullptr;
    port.OnRLSDChange = nullptr;
    port.OnTxEmpty = nullptr;
  }
  port.SetConnected(false);
  EXPECT_FALSE(port.HasEventReceiver());
}

TEST_F(EventThreadTest, EventWindowProcHandlesOnlyItsMessageAndOnlyWhileOpen) {
  port.OnRLSDChange = [this](TCustomComPort&, bool) { events.Add("RLSD"); };
  port.SetEvents({});
  runtime::TMessage rlsd{kEventMessage, platform::EV_RLSD, 0, 0};
  port.EventWindowProc(rlsd);  // closed: nothing
  EXPECT_EQ(events.Size(), 0u);
  port.SetConnected(true);
  const std::size_t announced = events.Size();
  runtime::TMessage other{kEventMessage + 1, platform::EV_RLSD, 0, 7};
  port.EventWindowProc(other);
  EXPECT_EQ(other.Result, 0);
  runtime::TMessage unknown{kEventMessage, platform::EV_PERR, 0, 0};
  port.EventWindowProc(unknown);
  EXPECT_EQ(events.Size(), announced);
  port.EventWindowProc(rlsd);
  EXPECT_EQ(events.Size(), announced + 1);
  port.OnRLSDChange = [](TCustomComPort&, bool) { throw std::runtime_error("handler failed"); };
  port.EventWindowProc(rlsd);  // reported, not passed on
  EXPECT_THAT(toolkit.Reports(), ElementsAre("handler failed"));
  port.OnRLSDChange = nullptr;
}

TEST_F(EventThreadTest, NoneRunsTheHandlersOnTheEventThread) {
  AttachEvents();
  Open({evRing}, smNone);
  comm.CompleteCommEvent(platform::EV_RING);
  ASSERT_TRUE(RunLoopUntil([&] { return events.Size() == 1; }));
  EXPECT_NE(events.Threads()[0], std::this_thread::get_id());
}

TEST_F(EventThreadTest, RaisingHandlerEndsTheThreadUnderThreadSyncAndNone) {
  for (TSyncMethod sync_method : {smThreadSync, smNone}) {
    std::atomic<int> calls{0};
    port.OnRing = [&](TCustomComPort&) {
      ++calls;
      throw std::runtime_error("ring failed");
    };
    comm.ClearCalls();
    Open({evRing}, sync_method);
    comm.CompleteCommEvent(platform::EV_RING);
    ASSERT_TRUE(RunLoopUntil([&] { return !toolkit.Reports().empty(); }));
    RunLoopFor(50ms);
    EXPECT_FALSE(comm.CommEventPending());  // no further wait
    EXPECT_EQ(comm.CountOf("WaitCommEvent"), 1u);
    EXPECT_EQ(calls.load(), 1);
    EXPECT_TRUE(port.Connected());
    port.SetConnected(false);  // stopping a thread that has ended
    EXPECT_EQ(comm.OpenHandles(), 0u);
    EXPECT_THAT(toolkit.Reports(), ElementsAre("ring failed")) << sync_method;
    port.OnRing = nullptr;
    toolkit.Clear();
  }
}

TEST_F(EventThreadTest, WaitThatFailsAtOnceEndsTheThreadWithoutRedelivering) {
  AttachEvents();
  Open({evRing}, smThreadSync);
  comm.FailNext("WaitCommEvent", platform::ERROR_GEN_FAILURE);
  comm.CompleteCommEvent(platform::EV_RING);  // leaves the OVERLAPPED event set
  RunLoopFor(150ms);
  EXPECT_EQ(events.Entries(), std::vector<std::string>{"Ring"});
  EXPECT_EQ(comm.CountOf("WaitCommEvent"), 2u);
  port.SetConnected(false);
  EXPECT_EQ(comm.OpenHandles(), 0u);
}

TEST_F(EventThreadTest, EventsChangedWhileOpenWaitForTheNextOpen) {
  const auto masks_set = [this] {
    std::vector<std::uint64_t> masks;
    for (const auto& call : comm.Calls()) {
      if (call.name == "SetCommMask") masks.push_back(call.args.back());
    }
    return masks;
  };
  AttachEvents();
  Open({evRing}, smThreadSync);
  port.SetEvents({evRLSD});
  EXPECT_THAT(masks_set(), ElementsAre(platform::EV_RING));
  comm.CompleteCommEvent(platform::EV_RING);
  ASSERT_TRUE(RunLoopUntil([&] { return events.Size() == 1; }));
  port.SetConnected(false);
  comm.ClearCalls();
  port.SetConnected(true);  // the value assigned while open, not assigned again
  ASSERT_TRUE(RunLoopUntil([&] { return comm.CommEventPending(); }));
  EXPECT_EQ(comm.Calls()[0].name, "CreateFileA");
  EXPECT_THAT(masks_set(), ElementsAre(platform::EV_RLSD));
}

TEST_F(EventThreadTest, WindowSyncRunsHandlersOnTheOpeningThreadAndThreadSyncOnTheMain) {
  const std::thread::id main_thread = std::this_thread::get_id();
  for (TSyncMethod sync_method : {smWindowSync, smThreadSync}) {
    EventLog fresh;
    port.OnRing = [&](TCustomComPort&) { fresh.Add("Ring"); };
    std::thread::id opener;
    OnWorkerWhileTheMainThreadServes([&] {
      opener = std::this_thread::get_id();
      Open({evRing}, sync_method);
      comm.CompleteCommEvent(platform::EV_RING);
      EXPECT_TRUE(RunLoopUntil([&] { return fresh.Size() == 1; }));
      port.SetConnected(false);
    });
    ASSERT_EQ(fresh.Size(), 1u) << sync_method;
    const std::thread::id handler = fresh.Threads()[0];
    EXPECT_EQ(handler, sync_method == smWindowSync ? opener : main_thread)
        << "handler on main=" << (handler == main_thread) << " on opener=" << (handler == opener);
    port.OnRing = nullptr;
  }
}

// Synchronize waits for the main thread, a sent message for the opening one.
TEST_F(EventThreadTest, ClosingWhileADeliveryWaitsForTheClosingThreadDoesNotDeadlock) {
  for (const bool on_worker : {false, true}) {
    std::atomic<int> rings{0};
    port.OnRing = [&](TCustomComPort&) { ++rings; };
    const auto open_deliver_close = [&] {
      Open({evRing}, on_worker ? smWindowSync : smThreadSync);
      comm.CompleteCommEvent(platform::EV_RING);
      std::this_thread::sleep_for(50ms);  // the delivery now waits for this thread
      port.SetConnected(false);           // served while waiting for the event thread
    };
    if (on_worker) {
      OnWorkerWhileTheMainThreadServes(open_deliver_close);
    } else {
      open_deliver_close();
    }
    EXPECT_EQ(rings.load(), 1) << on_worker;
    EXPECT_FALSE(port.EventThreadCreated());
    port.OnRing = nullptr;
  }
}

}  // namespace
}  // namespace comport
