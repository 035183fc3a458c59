// The five serial port operations one exchange needs. Called from the exchange worker only,
// and never while the window thread may change the port (it is blocked during a poll).
// Failures are thrown as exceptions derived from std::exception.
#pragma once

#include <cstdint>

namespace exchange {

class ExchangePort {
 public:
  virtual ~ExchangePort() = default;

  // True while the port is open.
  virtual bool Connected() const = 0;
  // Even parity on the line; a port already set so does nothing.
  virtual void SetParityEven() = 0;
  // Writes `count` bytes; returns when written or the write time-out expired. Result: bytes sent.
  virtual std::int32_t SendBytes(const std::uint8_t* buffer, std::int32_t count) = 0;
  // Reads up to `count` bytes to the start of `buffer`; returns when all came or the read
  // time-out expired. Result: bytes read.
  virtual std::int32_t ReceiveBytes(std::uint8_t* buffer, std::int32_t count) = 0;
  // Discards what is queued in the driver's receive and/or transmit queue.
  virtual void PurgeBuffers(bool input, bool output) = 0;
  // Bytes already waiting in the receive queue. A line that cannot tell reports none.
  virtual std::int32_t BytesWaiting() { return 0; }
  // Whether parity, framing or overrun errors came since the last call, which clears them. A
  // line that cannot tell reports none.
  virtual bool TakeLineErrors() { return false; }
};

}  // namespace exchange
