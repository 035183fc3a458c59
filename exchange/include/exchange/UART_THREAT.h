// The exchange worker: one thread per process that runs exactly one UART_EXCHANGE per wake-up.
//
// Created parked on first use of Instance(), at the highest priority of the normal class that
// the process may set (a lowered nice value), and never stopped: the thread is detached and the
// object deliberately never destroyed, so the process neither waits for it nor pulls its mutex
// away at exit while it is parked.
// Thread rule: SetPort, WaitParked, Wake and WaitForExchange are for the window thread; the
// exchange variables are the worker's from Wake until WaitForExchange returns.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "exchange/exchange_port.h"
#include "exchange/uart_exchange.h"

namespace exchange {

// What one wake-up of the worker came to.
struct ExchangeResult {
  ExchangeOutcome outcome = ExchangeOutcome::kRejected;
  std::string error;  // the port error's message when outcome is kPortError
};

class UART_THREAT {
 public:
  // The process's one worker, created parked on the first call.
  static UART_THREAT& Instance();

  UART_THREAT(const UART_THREAT&) = delete;
  UART_THREAT& operator=(const UART_THREAT&) = delete;

  // The port the next exchanges use (null: treated as not open). Between polls only.
  void SetPort(ExchangePort* port);
  // The parked flag: set when the worker parks itself, cleared when a wake-up resumes it.
  bool Parked() const;
  // Blocks until the worker is parked.
  void WaitParked();
  // Wakes the worker for one exchange; a wake-up is never lost, even one that comes before the
  // worker really stops. Returns the ticket to wait for.
  std::uint64_t Wake();
  // Blocks, without spinning, until the exchange of `ticket` has ended: on a machine with few
  // processors a spin here would take the time the worker and the line need.
  ExchangeResult WaitForExchange(std::uint64_t ticket);
  // As WaitForExchange, for at most `limit`: true, with `result` set, once the exchange of
  // `ticket` has ended; false when it still runs.
  bool WaitForExchangeFor(std::uint64_t ticket, std::chrono::milliseconds limit,
                          ExchangeResult& result);

 private:
  UART_THREAT() = default;
  void Execute();
  ExchangePort* Park();
  void Finish(ExchangeResult result);

  // The counters change under the mutex; the parked worker also looks at `wakes_` without it,
  // for a short while before it sleeps.
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  ExchangePort* port_ = nullptr;
  bool parked_ = false;
  std::atomic<std::uint64_t> wakes_{0};  // wake-ups asked for
  std::uint64_t started_ = 0;            // wake-ups taken by the worker
  std::uint64_t finished_ = 0;           // exchanges ended
  ExchangeResult last_;
};

}  // namespace exchange
