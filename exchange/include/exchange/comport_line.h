// A TComPort as the exchange's port. Same thread rule as ExchangePort; the port object must
// outlive every exchange that uses it (the window owns it and blocks during a poll).
#pragma once

#include "comport/com_port.h"
#include "exchange/exchange_port.h"

namespace exchange {

class ComPortLine : public ExchangePort {
 public:
  explicit ComPortLine(comport::TCustomComPort& port) : port_(port) {}

  bool Connected() const override;
  void SetParityEven() override;
  std::int32_t SendBytes(const std::uint8_t* buffer, std::int32_t count) override;
  std::int32_t ReceiveBytes(std::uint8_t* buffer, std::int32_t count) override;
  void PurgeBuffers(bool input, bool output) override;
  std::int32_t BytesWaiting() override;
  bool TakeLineErrors() override;

 private:
  comport::TCustomComPort& port_;
};

}  // namespace exchange
