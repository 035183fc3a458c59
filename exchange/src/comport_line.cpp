#include "exchange/comport_line.h"

#include <algorithm>
#include <limits>

namespace exchange {
namespace {

// A time-out in whole milliseconds short of MAXDWORD, from 1: zero would mean no limit.
std::int32_t Milliseconds(std::chrono::milliseconds duration) {
  return static_cast<std::int32_t>(std::clamp<std::chrono::milliseconds::rep>(
      duration.count(), 1, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

bool ComPortLine::Connected() const { return port_.Connected(); }

// The port re-applies parity to the open device only when the value changes.
void ComPortLine::SetParityEven() { port_.Parity().SetBits(comport::prEven); }

std::int32_t ComPortLine::SendBytes(const std::uint8_t* buffer, std::int32_t count) {
  return port_.SendBytes(buffer, count);
}

std::int32_t ComPortLine::ReceiveBytes(std::uint8_t* buffer, std::int32_t count) {
  UseReadLimits(std::nullopt);
  return port_.ReceiveBytes(buffer, count);
}

std::int32_t ComPortLine::ReceiveBytesWithin(std::uint8_t* buffer, std::int32_t count,
                                             const ReadLimits& limits) {
  UseReadLimits(limits);
  return port_.ReceiveBytes(buffer, count);
}

void ComPortLine::UseReadLimits(const std::optional<ReadLimits>& limits) {
  if (limits == applied_) return;
  if (!applied_) own_.CopyFrom(port_.Timeouts());
  comport::TComTimeouts timeouts;
  timeouts.CopyFrom(own_);
  if (limits) {
    // An interval of 0 is none; the total is the constant alone.
    timeouts.SetReadInterval(limits->interval.count() > 0 ? Milliseconds(limits->interval) : 0);
    timeouts.SetReadTotalMultiplier(0);
    timeouts.SetReadTotalConstant(Milliseconds(limits->total));
  }
  // One re-apply of the whole group; the write time-outs stay the port's own.
  port_.SetTimeouts(timeouts);
  applied_ = limits;
}

void ComPortLine::PurgeBuffers(bool input, bool output) { port_.PurgeBuffers(input, output); }

std::int32_t ComPortLine::BytesWaiting() { return port_.BytesAvailable(); }

bool ComPortLine::TakeLineErrors() {
  const comport::TComErrors errors = port_.LineErrors();
  return errors.Contains(comport::erFrame) || errors.Contains(comport::erRxParity) ||
         errors.Contains(comport::erOverrun);
}

}  // namespace exchange
