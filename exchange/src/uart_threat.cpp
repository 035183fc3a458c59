#include "exchange/UART_THREAT.h"

#include <exception>
#include <thread>

#include "exchange/EMUL_Functions.h"
#include "spin_wait.h"
#include "thread_priority.h"

namespace exchange {

UART_THREAT& UART_THREAT::Instance() {
  // Leaked on purpose: the detached worker may still be parked on the object's mutex while
  // static destructors run at exit.
  static UART_THREAT* const worker = [] {
    auto* created = new UART_THREAT();
    std::thread([created] { created->Execute(); }).detach();
    return created;
  }();
  return *worker;
}

void UART_THREAT::SetPort(ExchangePort* port) {
  std::lock_guard lock(mutex_);
  port_ = port;
}

bool UART_THREAT::Parked() const {
  std::lock_guard lock(mutex_);
  return parked_;
}

void UART_THREAT::WaitParked() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return parked_; });
}

std::uint64_t UART_THREAT::Wake() {
  std::uint64_t ticket = 0;
  {
    std::lock_guard lock(mutex_);
    ticket = ++wakes_;
  }
  changed_.notify_all();
  return ticket;
}

ExchangeResult UART_THREAT::WaitForExchange(std::uint64_t ticket) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this, ticket] { return finished_ >= ticket; });
  return last_;
}

bool UART_THREAT::WaitForExchangeFor(std::uint64_t ticket, std::chrono::milliseconds limit,
                                     ExchangeResult& result) {
  std::unique_lock lock(mutex_);
  if (!changed_.wait_for(lock, limit, [this, ticket] { return finished_ >= ticket; })) {
    return false;
  }
  result = last_;
  return true;
}

// Parks until a wake-up is pending, takes it and returns the port to use. The counter, not the
// flag, decides: a wake-up that came while the flag was already set but before the wait began
// is still seen.
ExchangePort* UART_THREAT::Park() {
  std::unique_lock lock(mutex_, std::defer_lock);
  if (!parked_) {  // set already when parking follows an exchange (Finish)
    lock.lock();
    parked_ = true;
    changed_.notify_all();
    lock.unlock();
  }
  // Polls that follow each other closely wake the worker soon after it parked: a short look
  // saves being woken. The look takes no lock, so that the window thread, just woken by Finish,
  // does not find the mutex held and sleep on it. Only this thread writes `started_` and
  // `parked_`, so it reads them without the lock.
  if (wakes_.load(std::memory_order_relaxed) == started_) {
    SpinUntil([this] { return wakes_.load(std::memory_order_relaxed) > started_; });
  }
  lock.lock();
  changed_.wait(lock, [this] { return wakes_ > started_; });
  parked_ = false;
  ++started_;
  return port_;
}

void UART_THREAT::Finish(ExchangeResult result) {
  {
    std::lock_guard lock(mutex_);
    last_ = std::move(result);
    finished_ = started_;
    // The worker parks right after this and touches nothing of the exchange on the way, so it
    // counts as parked from here: the window thread's next poll need not wait for those few
    // steps (and sleep, and be woken). A wake-up in between is kept by the counter.
    parked_ = true;
  }
  changed_.notify_all();
}

void UART_THREAT::Execute() {
  RaiseCallingThreadPriority();
  for (;;) {
    ExchangePort* const port = Park();
    EMUL_Functions::RX_STATE.store(EMUL_Functions::RX_NONE, std::memory_order_relaxed);
    ExchangeResult result;
    try {
      result.outcome = UART_EXCHANGE(port, EMUL_Functions::TX_LEN, EMUL_Functions::RX_LEN);
    } catch (const std::exception& error) {
      // A failing port (adapter pulled out, a read that fails) must not end the worker: the
      // poll ends unanswered, the operator learns why, and the next poll tries again.
      result.outcome = ExchangeOutcome::kPortError;
      result.error = error.what();
      EMUL_Functions::RX_TEXT.clear();
      EMUL_Functions::RX_STATE.store(EMUL_Functions::RX_REJECTED, std::memory_order_release);
    }
    Finish(std::move(result));
  }
}

}  // namespace exchange
