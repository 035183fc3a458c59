// A scripted exchange port: records every call and plays an instrument that answers requests.
// Used from the worker thread during a poll and from the test thread between polls.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "exchange/exchange_port.h"
#include "frame_bytes.h"

namespace exchange_test {

using protocol_test::Bytes;

class FakePort : public exchange::ExchangePort {
 public:
  // Called for each request sent; it queues the answer with Arrive or ArriveAfterPurge.
  std::function<void(FakePort&, const Bytes& request)> instrument;
  bool connected = true;
  mutable std::optional<std::string> fail_once;  // name of the call that throws next
  mutable std::vector<std::string> calls;        // "SendBytes 8", "PurgeBuffers 1 1", ...
  std::vector<Bytes> sent;

  // Bytes reach the driver before the read.
  void Arrive(const Bytes& bytes) { line_.insert(line_.end(), bytes.begin(), bytes.end()); }
  // Bytes reach the driver only after the next purge.
  void ArriveAfterPurge(const Bytes& bytes) {
    late_.insert(late_.end(), bytes.begin(), bytes.end());
  }

  bool Connected() const override {
    Record("Connected");
    return connected;
  }
  void SetParityEven() override { Record("SetParityEven"); }
  std::int32_t SendBytes(const std::uint8_t* buffer, std::int32_t count) override {
    Record("SendBytes " + std::to_string(count));
    sent.emplace_back(buffer, buffer + count);
    if (instrument) instrument(*this, sent.back());
    return count;
  }
  std::int32_t ReceiveBytes(std::uint8_t* buffer, std::int32_t count) override {
    Record("ReceiveBytes " + std::to_string(count));
    std::int32_t n = 0;
    for (; n < count && !line_.empty(); ++n) {
      buffer[n] = line_.front();
      line_.pop_front();
    }
    return n;
  }
  void PurgeBuffers(bool input, bool output) override {
    Record("PurgeBuffers " + std::to_string(input) + " " + std::to_string(output));
    if (input) line_.clear();
    line_.insert(line_.end(), late_.begin(), late_.end());
    late_.clear();
  }

 private:
  void Record(const std::string& call) const {
    calls.push_back(call);
    const std::string name = call.substr(0, call.find(' '));
    if (fail_once && *fail_once == name) {
      fail_once.reset();
      throw std::runtime_error("line failure in " + name);
    }
  }

  std::deque<std::uint8_t> line_;
  std::deque<std::uint8_t> late_;
};

// An instrument that answers every request with `reply`.
inline std::function<void(FakePort&, const Bytes&)> Answering(Bytes reply) {
  return [reply](FakePort& port, const Bytes&) { port.Arrive(reply); };
}

}  // namespace exchange_test
