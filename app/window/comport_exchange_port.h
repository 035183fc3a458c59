// The window's port as the exchange sees it: the five operations one exchange needs, passed
// straight to the TComPort.
// Worker thread during a poll; the window thread does not touch the port meanwhile.
#pragma once

#include "comport/com_port.h"
#include "exchange/exchange_port.h"

namespace window {

class ComPortExchangePort : public exchange::ExchangePort {
 public:
  explicit ComPortExchangePort(comport::TComPort& port) : port_(port) {}

  bool Connected() const override { return port_.Connected(); }
  void SetParityEven() override { port_.Parity().SetBits(comport::prEven); }
  std::int32_t SendBytes(const std::uint8_t* buffer, std::int32_t count) override {
    return port_.SendBytes(buffer, count);
  }
  std::int32_t ReceiveBytes(std::uint8_t* buffer, std::int32_t count) override {
    return port_.ReceiveBytes(buffer, count);
  }
  void PurgeBuffers(bool input, bool output) override { port_.PurgeBuffers(input, output); }

 private:
  comport::TComPort& port_;
};

}  // namespace window
