// The reader's TComPort as the exchange's port; the port must outlive every
// exchange on it.
#pragma once

#include "comport/com_port.h"
#include "exchange/exchange_port.h"

namespace reader {

class PortLine : public exchange::ExchangePort {
public:
  explicit PortLine(comport::TCustomComPort &port) : port_(port) {}

  bool Connected() const override { return port_.Connected(); }
  // The port re-applies parity to the open device only when the value changes.
  void SetParityEven() override { port_.Parity().SetBits(comport::prEven); }
  std::int32_t SendBytes(const std::uint8_t *buffer,
                         std::int32_t count) override {
    return port_.SendBytes(buffer, count);
  }
  std::int32_t ReceiveBytes(std::uint8_t *buffer, std::int32_t count) override {
    return port_.ReceiveBytes(buffer, count);
  }
  void PurgeBuffers(bool input, bool output) override {
    port_.PurgeBuffers(input, output);
  }

private:
  comport::TCustomComPort &port_;
};

} // namespace reader
