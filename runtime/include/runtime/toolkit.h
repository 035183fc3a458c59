// The window toolkit as the component sees it: process-wide services that the
// window program provides (a Qt implementation there, a plain one here).
// The main-thread call queue, the event receiver and the thread class that the
// event thread needs are the runtime's own (main_thread.h,
// event_receiver.h, thread.h); a toolkit only reports exceptions and wakes the
// main thread, e.g. in Qt:
//   void WakeMainThread() override {
//     QMetaObject::invokeMethod(qApp, [] { runtime::CheckSynchronize(); },
//                               Qt::QueuedConnection);
//   }
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace runtime {

// Thread priorities, as the toolkit's thread class takes them.
enum TThreadPriority : std::uint8_t {
  tpIdle,
  tpLowest,
  tpLower,
  tpNormal,
  tpHigher,
  tpHighest,
  tpTimeCritical
};

// Thread rule: implementations must accept calls from any thread.
class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // The application's default report of an exception that nothing else caught.
  virtual void HandleException(const std::exception& error) = 0;

  // Calls wait in the main thread's queue: have the main thread run
  // CheckSynchronize() soon. Any thread. The plain loop (ProcessThreadCalls)
  // and TThread::WaitFor notice new calls by themselves, so the default does
  // nothing. Other threads' queues are never announced here: such a thread
  // serves its queue itself (main_thread.h).
  virtual void WakeMainThread() {}
};

// The toolkit in force; the plain one (reports to stderr) unless one was set.
Toolkit& CurrentToolkit();
// Installs `toolkit` (not owned; nullptr restores the plain one).
void SetToolkit(Toolkit* toolkit);

// Hands the exception being handled to the toolkit's report; inside a catch only. One of no
// standard exception class is reported as "Unknown exception".
void ReportCurrentException();

// The text of the default exception report: the message with a full stop
// appended when its last character has a code above that of the full stop.
std::string ExceptionReportText(std::string_view message);

// Installs a toolkit for the lifetime of the object, then restores the previous one.
class ScopedToolkit {
 public:
  explicit ScopedToolkit(Toolkit& toolkit);
  ~ScopedToolkit();
  ScopedToolkit(const ScopedToolkit&) = delete;
  ScopedToolkit& operator=(const ScopedToolkit&) = delete;

 private:
  Toolkit* previous_;
};

}  // namespace runtime
