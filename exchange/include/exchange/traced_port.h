// An exchange port that records in a frame trace what passes through it: the bytes sent, the
// bytes each read returned, and the message of a call that fails (the exception goes on). Set
// on the worker in place of the port it wraps only while tracing, so that an exchange without a
// trace costs nothing. Same thread rule as ExchangePort; both objects must outlive its use.
#pragma once

#include "exchange/exchange_port.h"
#include "trace/frame_trace.h"

namespace exchange {

class TracedPort : public ExchangePort {
 public:
  TracedPort(ExchangePort& port, trace::FrameTrace& trace) : port_(port), trace_(trace) {}

  bool Connected() const override;
  void SetParityEven() override;
  std::int32_t SendBytes(const std::uint8_t* buffer, std::int32_t count) override;
  std::int32_t ReceiveBytes(std::uint8_t* buffer, std::int32_t count) override;
  std::int32_t ReceiveBytesWithin(std::uint8_t* buffer, std::int32_t count,
                                  const ReadLimits& limits) override;
  void PurgeBuffers(bool input, bool output) override;
  std::int32_t BytesWaiting() override;
  bool TakeLineErrors() override;

 private:
  ExchangePort& port_;
  trace::FrameTrace& trace_;
};

}  // namespace exchange
