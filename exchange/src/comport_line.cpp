#include "exchange/comport_line.h"

namespace exchange {

bool ComPortLine::Connected() const { return port_.Connected(); }

// The port re-applies parity to the open device only when the value changes.
void ComPortLine::SetParityEven() { port_.Parity().SetBits(comport::prEven); }

std::int32_t ComPortLine::SendBytes(const std::uint8_t* buffer, std::int32_t count) {
  return port_.SendBytes(buffer, count);
}

std::int32_t ComPortLine::ReceiveBytes(std::uint8_t* buffer, std::int32_t count) {
  return port_.ReceiveBytes(buffer, count);
}

void ComPortLine::PurgeBuffers(bool input, bool output) { port_.PurgeBuffers(input, output); }

std::int32_t ComPortLine::BytesWaiting() { return port_.BytesAvailable(); }

bool ComPortLine::TakeLineErrors() {
  const comport::TComErrors errors = port_.LineErrors();
  return errors.Contains(comport::erFrame) || errors.Contains(comport::erRxParity) ||
         errors.Contains(comport::erOverrun);
}

}  // namespace exchange
