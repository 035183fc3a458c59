// The line as one probe of a bus scan reads it: it waits for the first byte of a reply only as
// long as it is told, then reads the rest as a poll does, and notes what came and when.
// Set on the exchange worker in place of the line it wraps, for the scan only. Same thread rule
// as ExchangePort: the worker calls the port operations; the window thread reads the notes once
// WaitForExchange has returned, which orders them after the worker's writes.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "exchange/exchange_port.h"

namespace scan {

class ProbeLine : public exchange::ExchangePort {
 public:
  using Clock = std::chrono::steady_clock;

  // `line` must outlive this object; `first_byte_timeout` from 5 ms.
  ProbeLine(exchange::ExchangePort& line, std::chrono::milliseconds first_byte_timeout);

  bool Connected() const override;
  void SetParityEven() override;
  std::int32_t SendBytes(const std::uint8_t* buffer, std::int32_t count) override;
  // Nothing when no byte came within the first-byte time-out after the request's end;
  // otherwise that byte and what the line then reads of the rest by its own read time-out.
  std::int32_t ReceiveBytes(std::uint8_t* buffer, std::int32_t count) override;
  void PurgeBuffers(bool input, bool output) override;
  std::int32_t BytesWaiting() override;
  bool TakeLineErrors() override;

  // What the last exchange brought: bytes read, the time from the request's end to the first
  // reply byte, and whether parity, framing or overrun errors came with them.
  std::int32_t BytesReceived() const { return bytes_received_; }
  std::optional<Clock::duration> Turnaround() const { return turnaround_; }
  bool LineErrorsSeen() const { return line_errors_; }

 private:
  exchange::ExchangePort& line_;
  std::chrono::milliseconds first_byte_timeout_;
  Clock::time_point request_end_{};
  std::int32_t bytes_received_ = 0;
  std::optional<Clock::duration> turnaround_;
  bool line_errors_ = false;
};

}  // namespace scan
