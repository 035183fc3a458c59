// A hidden receiver of messages, bound to the thread that created it (its
// owner), with send-and-reply semantics: a send from another thread waits
// until the owner serves its call queue (main_thread.h) and the procedure
// replies (ReplyMessage) or returns; a send from the owner calls the procedure
// directly.
//
// Thread rule: create and destroy on the owner, which receives by serving its
// call queue for as long as the receiver exists; send from any thread. An
// exception escaping the procedure goes to the toolkit's report, never to the
// sender.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace runtime {

namespace detail {
class CallQueue;
}

struct TMessage {
  std::uint32_t Msg;
  std::uintptr_t WParam;
  std::intptr_t LParam;
  std::intptr_t Result;
};

inline constexpr std::uint32_t WM_USER = 0x0400;

class TEventReceiver {
 public:
  using Procedure = std::function<void(TMessage& message)>;

  explicit TEventReceiver(Procedure procedure);
  // Messages still queued for it are dropped (their senders get 0).
  ~TEventReceiver();
  TEventReceiver(const TEventReceiver&) = delete;
  TEventReceiver& operator=(const TEventReceiver&) = delete;

  // The procedure's Result, or what it passed to ReplyMessage.
  std::intptr_t SendMessage(std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam);

  // Inside a procedure: whether the message came from another thread.
  static bool InSendMessage();
  // Inside a procedure: lets a sender on another thread go on with `result`
  // while the procedure continues. Does nothing for a message of the own thread.
  static void ReplyMessage(std::intptr_t result);

 private:
  // The owner's queue, where sends from other threads wait to be served.
  std::shared_ptr<detail::CallQueue> owner_queue_;
  // Shared with queued messages, which check it on the owner.
  std::shared_ptr<Procedure> procedure_;
};

// The default processing of a message the procedure does not handle.
std::intptr_t DefWindowProc(const TMessage& message);

}  // namespace runtime
