// A TComPort as the exchange's port. Same thread rule as ExchangePort; the port object must
// outlive every exchange that uses it (the window owns it and blocks during a poll).
#pragma once

#include <optional>

#include "comport/com_port.h"
#include "exchange/exchange_port.h"

namespace exchange {

class ComPortLine : public ExchangePort {
 public:
  explicit ComPortLine(comport::TCustomComPort& port) : port_(port) {}

  bool Connected() const override;
  void SetParityEven() override;
  std::int32_t SendBytes(const std::uint8_t* buffer, std::int32_t count) override;
  // With the port's own read time-outs, whatever reads before it used.
  std::int32_t ReceiveBytes(std::uint8_t* buffer, std::int32_t count) override;
  // With read time-outs made of `limits`; the port's own come back at the next ReceiveBytes.
  std::int32_t ReceiveBytesWithin(std::uint8_t* buffer, std::int32_t count,
                                  const ReadLimits& limits) override;
  void PurgeBuffers(bool input, bool output) override;
  std::int32_t BytesWaiting() override;
  bool TakeLineErrors() override;

 private:
  // Puts read time-outs of `limits` on the port, or its own back (none); a change only.
  void UseReadLimits(const std::optional<ReadLimits>& limits);

  comport::TCustomComPort& port_;
  std::optional<ReadLimits> applied_;  // what the port's read time-outs are now made of
  comport::TComTimeouts own_;          // the port's own time-outs while `applied_` is set
};

}  // namespace exchange
