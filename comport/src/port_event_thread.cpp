// The event thread of a port that watches events, and the event receiver's
// procedure.
#include "com_thread.h"
#include "comport/com_port.h"
#include "comport/event_mask.h"
#include "event_table.h"

namespace comport {

void TCustomComPort::StartEventThread() {
  if (sync_method_ == smWindowSync) {
    event_window_ = std::make_unique<runtime::TEventReceiver>(
        [this](runtime::TMessage& message) { EventWindowProc(message); });
  }
  event_thread_ = std::make_unique<TComThread>(*this, sync_method_, event_window_.get());
  event_thread_->Start();
  thread_created_ = true;
}

void TCustomComPort::StopEventThread() {
  event_thread_.reset();
  thread_created_ = false;
  event_window_.reset();
}

void TCustomComPort::EventWindowProc(runtime::TMessage& message) {
  if (message.Msg != kEventMessage) {
    message.Result = runtime::DefWindowProc(message);
    return;
  }
  try {
    // The event thread may go on waiting while the handlers run here.
    if (runtime::TEventReceiver::InSendMessage()) runtime::TEventReceiver::ReplyMessage(0);
    if (!Connected()) return;
    for (const detail::EventEntry& entry : detail::kEventTable) {
      if (message.WParam == entry.mask_bit) (this->*entry.process)();
    }
  } catch (const std::exception& error) {
    runtime::CurrentToolkit().HandleException(error);
  }
}

}  // namespace comport
