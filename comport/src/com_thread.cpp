#include "com_thread.h"

#include <thread>

#include "comport/event_mask.h"
#include "event_table.h"
#include "platform/win_errors.h"
#include "runtime/main_thread.h"
#include "runtime/toolkit.h"

namespace comport {

using platform::Comm;
using platform::DWORD;

TComThread::TComThread(TCustomComPort& port, TSyncMethod sync_method,
                       runtime::TEventReceiver* receiver)
    : port_(port), sync_method_(sync_method), receiver_(receiver) {
  stop_event_ = Comm().CreateEventA(nullptr, 1, 0, nullptr);
  SetPriority(port.MonitorPriority());
  Comm().SetCommMask(port.DeviceHandle(), EventsToMask(port.Events()));
}

TComThread::~TComThread() {
  SignalStop();
  WaitFor();
  // Closed only here, not by the thread body: a thread that ended by itself
  // is still signalled through this handle, which must not name another object.
  Comm().CloseHandle(stop_event_);
}

void TComThread::SignalStop() {
  Comm().SetEvent(stop_event_);
  std::this_thread::yield();
}

void TComThread::Execute() {
  platform::CommApi& comm = Comm();
  const platform::HANDLE device = port_.DeviceHandle();
  platform::OVERLAPPED overlapped{};
  overlapped.hEvent = comm.CreateEventA(nullptr, 1, 1, nullptr);
  const platform::HANDLE wait_list[2] = {stop_event_, overlapped.hEvent};
  // Outlives the loop: SetCommMask(0) below ends a wait that is still pending
  // and writes into it.
  DWORD mask = 0;
  try {
    for (;;) {
      // A wait that cannot even start (the device is gone: an adapter pulled
      // out) leaves the OVERLAPPED event set from the last wait, and that
      // wait's result would be delivered again and again without waiting; so
      // does a result that reports failure. Either ends the thread; the port
      // stays open and quiet until it is closed.
      if (comm.WaitCommEvent(device, &mask, &overlapped) == 0 &&
          comm.GetLastError() != platform::ERROR_IO_PENDING) {
        break;
      }
      if (comm.WaitForMultipleObjects(2, wait_list, 0, platform::INFINITE) !=
          platform::WAIT_OBJECT_0 + 1) {
        break;
      }
      DWORD unused = 0;
      if (comm.GetOverlappedResult(device, &overlapped, &unused, 0) == 0) break;
      events_ = MaskToEvents(mask);
      DeliverEvents();
    }
  } catch (...) {
    // An exception of a handler or processing method ends the thread; it is
    // still reported rather than lost.
    runtime::ReportCurrentException();
  }
  comm.SetCommMask(device, 0);
  comm.PurgeComm(device, platform::PURGE_TXCLEAR | platform::PURGE_RXCLEAR);
  comm.CloseHandle(overlapped.hEvent);
}

void TComThread::DeliverEvents() {
  switch (sync_method_) {
    case smThreadSync:
      runtime::Synchronize([this] { RunEventHandlers(); });
      break;
    case smWindowSync:
      SendEventMessages();
      break;
    case smNone:
      RunEventHandlers();
      break;
  }
}

void TComThread::RunEventHandlers() {
  for (const detail::EventEntry& entry : detail::kEventTable) {
    if (events_.Contains(entry.event)) (port_.*entry.process)();
  }
}

void TComThread::SendEventMessages() {
  for (const detail::EventEntry& entry : detail::kEventTable) {
    if (events_.Contains(entry.event)) receiver_->SendMessage(kEventMessage, entry.mask_bit, 0);
  }
}

}  // namespace comport
