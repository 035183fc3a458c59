#include "scan/probe_line.h"

#include <algorithm>

#include "exchange/exchange_timing.h"

namespace scan {
namespace {

// One byte read for the first byte of a reply: the line's read time-out for one byte.
constexpr std::chrono::milliseconds kOneByteRead{exchange::READ_TIMEOUT_MS_PER_BYTE};

// A byte at 9600 bit/s, 8E1: start, 8 data, parity and stop bits.

}  // namespace

ProbeLine::ProbeLine(exchange::ExchangePort& line, std::chrono::milliseconds first_byte_timeout)
    : line_(line), first_byte_timeout_(first_byte_timeout) {}

bool ProbeLine::Connected() const { return line_.Connected(); }

void ProbeLine::SetParityEven() { line_.SetParityEven(); }

std::int32_t ProbeLine::SendBytes(const std::uint8_t* buffer, std::int32_t count) {
  bytes_received_ = 0;
  turnaround_.reset();
  line_errors_ = false;
  // What is still here answers an earlier address, one slower than the first-byte time-out:
  // read with this probe's reply, it would make a wrong address of it.
  line_.PurgeBuffers(true, false);
  const Clock::time_point start = Clock::now();
  const std::int32_t sent = line_.SendBytes(buffer, count);
  // A line that takes the bytes before they are on the wire returns early; the request ends
  // when its last bit has gone.
  request_end_ = std::max(Clock::now(), start + count * exchange::CHARACTER_TIME);
  return sent;
}

std::int32_t ProbeLine::ReceiveBytes(std::uint8_t* buffer, std::int32_t count) {
  if (count <= 0) return 0;
  const Clock::time_point deadline = request_end_ + first_byte_timeout_;
  // Reads of one byte until one comes, each ending by the line's own read time-out; the last
  // is started only while more than half of it is left, so the wait ends near the deadline.
  std::int32_t got = 0;
  while (got == 0 && deadline - Clock::now() > kOneByteRead / 2) {
    got = line_.ReceiveBytes(buffer, 1);
  }
  if (got == 0) {
    line_errors_ = line_.TakeLineErrors();
    return 0;
  }
  turnaround_ = std::max(Clock::duration::zero(), Clock::now() - request_end_);
  if (count > 1) got += line_.ReceiveBytes(buffer + 1, count - 1);
  bytes_received_ = got;
  line_errors_ = line_.TakeLineErrors();
  return got;
}

void ProbeLine::PurgeBuffers(bool input, bool output) { line_.PurgeBuffers(input, output); }

std::int32_t ProbeLine::BytesWaiting() { return line_.BytesWaiting(); }

bool ProbeLine::TakeLineErrors() { return line_.TakeLineErrors(); }

}  // namespace scan
