// TComThread: waits for the device's comm events and hands each completed
// wait's events to the port by its SyncMethod.
//
// Thread rule: created, started and destroyed by the thread that opens and
// closes the port (ClosePort waits for it; never from a handler it runs).
// Under smThreadSync the handlers run on the main thread through Synchronize,
// under smWindowSync on the receiver's thread (the one that opened the port)
// through sent messages, under smNone on this thread.
#pragma once

#include "comport/com_port.h"
#include "runtime/event_receiver.h"
#include "runtime/thread.h"

namespace comport {

class TComThread final : public runtime::TThread {
 public:
  // Suspended, with its stop event and the port's MonitorPriority; sets the
  // device's event mask from Events. `receiver` is used only under smWindowSync.
  TComThread(TCustomComPort& port, TSyncMethod sync_method, runtime::TEventReceiver* receiver);
  // Stops the thread and waits for it.
  ~TComThread() override;

 protected:
  void Execute() override;

 private:
  void DeliverEvents();
  void RunEventHandlers();
  void SendEventMessages();
  void SignalStop();

  TCustomComPort& port_;
  platform::HANDLE stop_event_;
  // Written by this thread; read by RunEventHandlers while this thread waits
  // for it (smThreadSync) or on this thread.
  TComEvents events_;
  // Fixed at start: SyncMethod cannot change while the port is open.
  const TSyncMethod sync_method_;
  runtime::TEventReceiver* const receiver_;
};

}  // namespace comport
