// The simulated instrument on an in-process line: the exchange's port (exchange_port.h) with
// no serial port, no pseudo-terminal and no thread, so it serves on every system.
//
// A request sent is taken as the simulator's instrument takes it from a pseudo-terminal
// (sim/request_framer.h, sim/instrument.h) and shaped by the same misbehaviours
// (sim/reply_shaper.h). The reply's bytes then arrive on the steady clock as the simulator would
// put them on the line: after its pauses, and at 9600 bit/s when the configuration is paced (a
// babble always is). A request that comes while the instrument is still sending is answered
// after it, as the simulator answers one request at a time. A read takes what has arrived,
// returning once it has its count or when the instrument port's read time-out has run out
// (6 ms per byte asked for, 186 ms for a 31-byte reply), as the window's port does. A purge
// drops what has arrived; bytes still on their way come later, as on a real line, and are read
// by the next exchange.
//
// Thread rule: the port operations on the exchange worker, one call at a time (the exchange
// never overlaps two); the configuration calls from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <random>

#include "exchange/exchange_port.h"
#include "exchange/exchange_timing.h"
#include "sim/config.h"
#include "sim/request_framer.h"

namespace simline {

class InstrumentLine : public exchange::ExchangePort {
 public:
  using Clock = std::chrono::steady_clock;

  // Read time-out per byte asked for: the instrument port's ReadTotalTimeoutMultiplier.
  static constexpr std::chrono::milliseconds kReadTimeoutPerByte{
      exchange::READ_TIMEOUT_MS_PER_BYTE};

  // Throws std::invalid_argument for a configuration outside the instrument's ranges (address
  // 1..247, variant 0..3, relays 0..15), as the simulator does.
  explicit InstrumentLine(const sim::Config& config = {});

  bool Connected() const override { return true; }
  void SetParityEven() override {}
  std::int32_t SendBytes(const std::uint8_t* buffer, std::int32_t count) override;
  std::int32_t ReceiveBytes(std::uint8_t* buffer, std::int32_t count) override;
  // Ends by `limits` as a driver ends a read by its time-outs.
  std::int32_t ReceiveBytesWithin(std::uint8_t* buffer, std::int32_t count,
                                  const exchange::ReadLimits& limits) override;
  void PurgeBuffers(bool input, bool output) override;
  std::int32_t BytesWaiting() override;

  sim::Config GetConfig() const;
  // From the next request on; throws std::invalid_argument as the constructor.
  void SetConfig(const sim::Config& config);
  // The next reply only goes out under `behaviour`.
  void InjectOnce(const sim::Behaviour& behaviour);
  // Well-formed request frames seen, to any address.
  std::uint64_t RequestsSeen() const { return requests_seen_.load(); }

 private:
  struct Arrival {
    Clock::time_point at;
    std::uint8_t byte;
  };

  void Respond(const sim::RequestFramer::Request& request, Clock::time_point request_end);
  sim::Behaviour NextBehaviour(const sim::Config& config);

  mutable std::mutex mutex_;
  sim::Config config_;                      // guarded by mutex_
  std::optional<sim::Behaviour> one_shot_;  // guarded by mutex_
  std::atomic<std::uint64_t> requests_seen_{0};

  // The worker's own, one call at a time.
  sim::RequestFramer framer_;
  std::deque<Arrival> incoming_;  // in arrival order
  Clock::time_point line_free_;   // when the last byte sent so far has arrived
  std::uint64_t answered_ = 0;
  std::size_t next_rotating_fault_ = 0;
  std::mt19937 random_;
};

}  // namespace simline
