#include "runtime/event_receiver.h"

#include <utility>

#include "main_thread_queue.h"
#include "runtime/toolkit.h"

namespace runtime {
namespace {

// The cross-thread message this thread is processing, until replied.
thread_local detail::PendingCall** t_unreplied = nullptr;
thread_local bool t_in_send = false;

// Runs the procedure with the reply state of one message; restores the outer
// state so that nested processing keeps the right answers.
void Deliver(const TEventReceiver::Procedure& procedure, TMessage& message, bool in_send,
             detail::PendingCall** unreplied) {
  const bool outer_in_send = std::exchange(t_in_send, in_send);
  detail::PendingCall** const outer_unreplied = std::exchange(t_unreplied, unreplied);
  try {
    procedure(message);
  } catch (...) {
    ReportCurrentException();
  }
  t_in_send = outer_in_send;
  t_unreplied = outer_unreplied;
}

}  // namespace

TEventReceiver::TEventReceiver(Procedure procedure)
    : owner_queue_(detail::ThisThreadQueue()),
      procedure_(std::make_shared<Procedure>(std::move(procedure))) {}

TEventReceiver::~TEventReceiver() { *procedure_ = nullptr; }

std::intptr_t TEventReceiver::SendMessage(std::uint32_t msg, std::uintptr_t wparam,
                                          std::intptr_t lparam) {
  if (detail::ThisThreadQueue() == owner_queue_) {
    TMessage message{msg, wparam, lparam, 0};
    if (*procedure_) Deliver(*procedure_, message, false, nullptr);
    return message.Result;
  }
  // The body runs on the owner with copies only: after an early reply the
  // sender's frame may be gone.
  detail::PendingCall call(
      [procedure = procedure_, msg, wparam, lparam](detail::PendingCall*& self) {
        if (!*procedure) return;
        TMessage message{msg, wparam, lparam, 0};
        Deliver(*procedure, message, true, &self);
        if (self != nullptr) self->Release(message.Result, nullptr);
        self = nullptr;
      });
  owner_queue_->Run(call);
  return call.result();
}

bool TEventReceiver::InSendMessage() { return t_in_send; }

void TEventReceiver::ReplyMessage(std::intptr_t result) {
  if (t_unreplied == nullptr || *t_unreplied == nullptr) return;
  (*t_unreplied)->Release(result, nullptr);
  *t_unreplied = nullptr;
}

std::intptr_t DefWindowProc(const TMessage&) { return 0; }

}  // namespace runtime
