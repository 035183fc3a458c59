#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "recording_dialogs.h"
#include "runtime/main_thread.h"
#include "window/toolkit/application.h"
#include "window/toolkit/dialogs.h"
#include "window/toolkit/qt_comport_toolkit.h"
#include "window/toolkit/timer.h"

namespace window {
namespace {

using testing::RecordingDialogs;

TEST(QtComportToolkit, ShowsOnTheWindowThreadWhenCalledFromAnother) {
  RecordingDialogs dialogs;
  Application app(dialogs);
  app.SetTitle("T");
  QtComportToolkit toolkit(app);
  std::thread worker([&] { toolkit.HandleException(std::runtime_error("from the worker")); });
  worker.join();
  EXPECT_TRUE(dialogs.shown.empty());  // queued, not shown on the worker
  QCoreApplication::processEvents();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "from the worker.");
  toolkit.HandleException(std::runtime_error("here"));
  EXPECT_EQ(dialogs.shown.size(), 2u);
}

// Processes events until `done` or `limit_ms` has passed; returns the elapsed milliseconds.
template <typename Done>
qint64 RunEventsUntil(Done done, int limit_ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < limit_ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return clock.elapsed();
}

TEST(QtComportToolkit, RunsAnotherThreadsSynchronizedCallFromTheEventLoop) {
  RecordingDialogs dialogs;
  Application app(dialogs);
  QtComportToolkit toolkit(app);
  runtime::ScopedToolkit installed(toolkit);
  std::thread::id ran_on;
  std::atomic<bool> returned{false};
  std::thread event_thread([&] {
    runtime::Synchronize([&] { ran_on = std::this_thread::get_id(); });
    returned = true;
  });
  RunEventsUntil([&] { return returned.load(); }, 5000);
  event_thread.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(ran_on, std::this_thread::get_id());
}

TEST(TTimer, SwitchingOnAgainDoesNotRestartTheInterval) {
  int ticks = 0;
  TTimer timer(150, [&] { ++ticks; });
  EXPECT_FALSE(timer.Enabled());
  timer.SetEnabled(true);
  RunEventsUntil([] { return false; }, 100);
  timer.SetEnabled(true);  // would restart a QTimer; must not here
  const qint64 waited = RunEventsUntil([&] { return ticks > 0; }, 2000);
  EXPECT_EQ(ticks, 1);
  EXPECT_LT(waited, 140);  // fired ~50 ms after the second switch, not 150 ms
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Enabled());
}

TEST(TTimer, HandlerDoesNotReenterItself) {
  int entries = 0;
  TTimer* self = nullptr;
  TTimer timer(10, [&] {
    ++entries;
    self->Fire();  // a tick arriving while the handler still runs (a modal box is open)
  });
  self = &timer;
  timer.Fire();
  EXPECT_EQ(entries, 1);
  timer.Fire();
  EXPECT_EQ(entries, 2);
}

}  // namespace
}  // namespace window
