#include "exchange/traced_port.h"

#include <algorithm>
#include <exception>
#include <span>

namespace exchange {
namespace {

// Runs `call`; a failure is recorded before it goes on.
template <typename Call>
auto Recorded(trace::FrameTrace& trace, Call call) -> decltype(call()) {
  try {
    return call();
  } catch (const std::exception& error) {
    trace.Failed(error.what());
    throw;
  }
}

// The first `done` bytes of a transfer of `count`, whatever count the port reported.
std::span<const std::uint8_t> Transferred(const std::uint8_t* buffer, std::int32_t count,
                                          std::int32_t done) {
  return {buffer, static_cast<std::size_t>(std::clamp(done, 0, std::max(count, 0)))};
}

}  // namespace

bool TracedPort::Connected() const {
  return Recorded(trace_, [this] { return port_.Connected(); });
}

void TracedPort::SetParityEven() {
  Recorded(trace_, [this] { port_.SetParityEven(); });
}

std::int32_t TracedPort::SendBytes(const std::uint8_t* buffer, std::int32_t count) {
  const std::int32_t sent = Recorded(trace_, [&] { return port_.SendBytes(buffer, count); });
  trace_.Sent(Transferred(buffer, count, sent));
  return sent;
}

std::int32_t TracedPort::ReceiveBytes(std::uint8_t* buffer, std::int32_t count) {
  const std::int32_t received = Recorded(trace_, [&] { return port_.ReceiveBytes(buffer, count); });
  trace_.Received(Transferred(buffer, count, received));
  return received;
}

std::int32_t TracedPort::ReceiveBytesWithin(std::uint8_t* buffer, std::int32_t count,
                                            const ReadLimits& limits) {
  const std::int32_t received =
      Recorded(trace_, [&] { return port_.ReceiveBytesWithin(buffer, count, limits); });
  trace_.Received(Transferred(buffer, count, received));
  return received;
}

void TracedPort::PurgeBuffers(bool input, bool output) {
  Recorded(trace_, [&] { port_.PurgeBuffers(input, output); });
}

std::int32_t TracedPort::BytesWaiting() {
  return Recorded(trace_, [this] { return port_.BytesWaiting(); });
}

bool TracedPort::TakeLineErrors() {
  return Recorded(trace_, [this] { return port_.TakeLineErrors(); });
}

}  // namespace exchange
