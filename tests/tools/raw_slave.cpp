#include "raw_slave.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "reply_frames.h"

namespace reader::testing_slave {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kRequestSize = 8;

Bytes ReplyOf(std::uint8_t address, int request) {
  Bytes frame = testing_frames::kWorkedExample;
  frame[0] = address;
  const float level1 = static_cast<float>(address * 1000 + request);
  const auto bits = std::bit_cast<std::uint32_t>(level1);
  for (int i = 0; i < 4; ++i) frame[5 + i] = static_cast<std::uint8_t>(bits >> (24 - 8 * i));
  return testing_frames::WithCrc(frame);
}

bool RequestValid(const Bytes& request) {
  return testing_frames::WithCrc(request) == request && request[1] == 4;
}

}  // namespace

std::vector<Piece> Prompt(int, const Bytes& reply) {
  return {{std::chrono::milliseconds(0), reply}};
}

RawSlave::RawSlave(std::map<std::uint8_t, Script> scripts)
    : scripts_(std::move(scripts)), thread_([this] { Serve(); }) {}

RawSlave::~RawSlave() {
  stopping_.store(true);
  thread_.join();
}

void RawSlave::Serve() {
  Bytes pending;
  Clock::time_point first_byte{};
  while (!stopping_.load()) {
    const Bytes bytes = pty_.ReadSome(10);
    if (bytes.empty()) {
      pending.clear();  // a partial request that went quiet is no request
      continue;
    }
    if (pending.empty()) first_byte = Clock::now();
    pending.insert(pending.end(), bytes.begin(), bytes.end());
    while (pending.size() >= kRequestSize) {
      const Bytes request(pending.begin(), pending.begin() + kRequestSize);
      pending.erase(pending.begin(), pending.begin() + kRequestSize);
      // On a line the request's last byte comes 8 characters after its first.
      if (RequestValid(request)) Answer(request, first_byte + kRequestSize * kCharacter);
      first_byte = Clock::now();
    }
  }
}

void RawSlave::Answer(const Bytes& request, Clock::time_point request_end) {
  const auto script = scripts_.find(request[0]);
  if (script == scripts_.end()) return;
  const int number = ++requests_[request[0]];
  Clock::time_point at = request_end;
  for (const Piece& piece : script->second(number, ReplyOf(request[0], number))) {
    at += piece.pause;
    for (const std::uint8_t byte : piece.bytes) {
      at += kCharacter;
      std::this_thread::sleep_until(at);
      if (stopping_.load()) return;
      pty_.Write({byte});
    }
  }
}

}  // namespace reader::testing_slave
