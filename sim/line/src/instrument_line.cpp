#include "simline/instrument_line.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "sim/instrument.h"
#include "sim/reply_shaper.h"

namespace simline {
namespace {

using Clock = InstrumentLine::Clock;

static_assert(sim::kCharacterTime == exchange::CHARACTER_TIME);

const sim::Config& Checked(const sim::Config& config) {
  if (config.address < 1 || config.address > 247) {
    throw std::invalid_argument("simulator address must be 1..247");
  }
  if (config.readings.variant > 3 || config.readings.relays > 0x0F) {
    throw std::invalid_argument("simulator variant must be 0..3 and relays a 4-bit mask");
  }
  return config;
}

}  // namespace

InstrumentLine::InstrumentLine(const sim::Config& config)
    : config_(Checked(config)), random_(config.noise_seed) {}

sim::Config InstrumentLine::GetConfig() const {
  std::lock_guard lock(mutex_);
  return config_;
}

void InstrumentLine::SetConfig(const sim::Config& config) {
  Checked(config);
  std::lock_guard lock(mutex_);
  config_ = config;
}

void InstrumentLine::InjectOnce(const sim::Behaviour& behaviour) {
  std::lock_guard lock(mutex_);
  one_shot_ = behaviour;
}

std::int32_t InstrumentLine::SendBytes(const std::uint8_t* buffer, std::int32_t count) {
  if (count <= 0) return 0;
  const Clock::time_point now = Clock::now();
  framer_.Feed({buffer, static_cast<std::size_t>(count)}, now);
  const bool paced = GetConfig().paced;
  while (const auto request = framer_.Next()) {
    requests_seen_.fetch_add(1);
    // On a paced line the request's last byte is out 8 character times after its first.
    const Clock::time_point request_end =
        paced ? now + static_cast<int>(sim::kRequestSize) * exchange::CHARACTER_TIME : now;
    Respond(*request, std::chrono::time_point_cast<Clock::duration>(request_end));
  }
  return count;
}

void InstrumentLine::Respond(const sim::RequestFramer::Request& request,
                             Clock::time_point request_end) {
  const sim::Config config = GetConfig();
  const auto answer = sim::Answer(request.bytes, config.address, config.readings);
  if (!answer) return;
  const sim::Transmission transmission =
      sim::Shape(*answer, NextBehaviour(config), config.reply_delay, random_);
  // The instrument answers one request at a time: a reply waits for the end of what it is
  // still sending (a late reply, a babble), as the simulator's does.
  Clock::time_point at = std::max(request_end, line_free_);
  for (const sim::Segment& segment : transmission) {
    at += segment.pause_before;
    for (const std::uint8_t byte : segment.bytes) {
      if (config.paced || segment.line_paced) {
        at += std::chrono::duration_cast<Clock::duration>(exchange::CHARACTER_TIME);
      }
      incoming_.push_back(Arrival{at, byte});
    }
  }
  line_free_ = std::max(line_free_, at);
}

sim::Behaviour InstrumentLine::NextBehaviour(const sim::Config& config) {
  {
    std::lock_guard lock(mutex_);
    if (one_shot_) {
      const sim::Behaviour once = *one_shot_;
      one_shot_.reset();
      return once;
    }
  }
  ++answered_;
  if (config.fault_every > 0 && answered_ % config.fault_every == 0) {
    const auto faults = sim::RotatingFaults();
    return faults[next_rotating_fault_++ % faults.size()];
  }
  return config.behaviour;
}

std::int32_t InstrumentLine::ReceiveBytes(std::uint8_t* buffer, std::int32_t count) {
  return ReceiveBytesWithin(buffer, count, {.total = count * kReadTimeoutPerByte});
}

std::int32_t InstrumentLine::ReceiveBytesWithin(std::uint8_t* buffer, std::int32_t count,
                                                const exchange::ReadLimits& limits) {
  if (count <= 0) return 0;
  const Clock::time_point deadline = Clock::now() + limits.total;
  std::int32_t got = 0;
  Clock::time_point last_byte{};
  for (;;) {
    const Clock::time_point now = Clock::now();
    while (got < count && !incoming_.empty() && incoming_.front().at <= now) {
      last_byte = incoming_.front().at;
      buffer[got++] = incoming_.front().byte;
      incoming_.pop_front();
    }
    if (got == count || now >= deadline) return got;
    // After a byte, no next one within the interval ends the read, as a driver's timer does.
    Clock::time_point end = deadline;
    if (got > 0 && limits.interval.count() > 0) end = std::min(end, last_byte + limits.interval);
    if (now >= end) return got;
    const Clock::time_point wake = incoming_.empty() ? end : std::min(end, incoming_.front().at);
    std::this_thread::sleep_until(wake);
  }
}

std::int32_t InstrumentLine::BytesWaiting() {
  const Clock::time_point now = Clock::now();
  std::int32_t waiting = 0;
  for (const Arrival& arrival : incoming_) {
    if (arrival.at > now) break;
    ++waiting;
  }
  return waiting;
}

void InstrumentLine::PurgeBuffers(bool input, bool /*output: every write has gone out*/) {
  if (!input) return;
  const Clock::time_point now = Clock::now();
  while (!incoming_.empty() && incoming_.front().at <= now) incoming_.pop_front();
}

}  // namespace simline
