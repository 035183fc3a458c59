// The serial port operations of an exchange: the five the exchange itself calls, and those a
// shared line's rules add (polling/shared_line.h). Called from the exchange worker only,
// and never while the window thread may change the port (it is blocked during a poll).
// Failures are thrown as exceptions derived from std::exception.
#pragma once

#include <chrono>
#include <cstdint>

namespace exchange {

// When a read ends before its count has come, in the terms of the port's read time-outs: after
// `total` from its start, or `interval` after a byte when no next one has come (zero: no such
// limit). Reads that are to end at their first byte ask for one byte: the time-outs' own mode for
// that does not end under every system's emulation of a serial port.
struct ReadLimits {
  std::chrono::milliseconds total{1};
  std::chrono::milliseconds interval{0};

  friend bool operator==(const ReadLimits&, const ReadLimits&) = default;
};

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
  // As ReceiveBytes, ending by `limits` instead of the port's own read time-out. A line that
  // cannot time its reads otherwise reads as ReceiveBytes does.
  virtual std::int32_t ReceiveBytesWithin(std::uint8_t* buffer, std::int32_t count,
                                          const ReadLimits& limits) {
    static_cast<void>(limits);
    return ReceiveBytes(buffer, count);
  }
  // Discards what is queued in the driver's receive and/or transmit queue.
  virtual void PurgeBuffers(bool input, bool output) = 0;
  // Bytes already waiting in the receive queue. A line that cannot tell reports none.
  virtual std::int32_t BytesWaiting() { return 0; }
  // Whether parity, framing or overrun errors came since the last call, which clears them. A
  // line that cannot tell reports none.
  virtual bool TakeLineErrors() { return false; }
};

}  // namespace exchange
