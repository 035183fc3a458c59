#include "sim/simulator.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "line_writer.h"
#include "sim/instrument.h"
#include "sim/reply_shaper.h"
#include "sim/request_framer.h"

namespace sim {

using Clock = std::chrono::steady_clock;

namespace {

const Config& Checked(const Config& config) {
  if (config.address < 1 || config.address > 247) {
    throw std::invalid_argument("simulator address must be 1..247");
  }
  if (config.readings.variant > 3 || config.readings.relays > 0x0F) {
    throw std::invalid_argument("simulator variant must be 0..3 and relays a 4-bit mask");
  }
  return config;
}

}  // namespace

Simulator::Simulator(const Config& config) : config_(Checked(config)), random_(config.noise_seed) {
  wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_fd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
  try {
    thread_ = std::thread([this] { Serve(); });
  } catch (...) {
    close(wake_fd_);
    throw;
  }
}

Simulator::~Simulator() {
  Stop();
  close(wake_fd_);
}

void Simulator::Stop() {
  std::call_once(stopped_, [this] {
    const std::uint64_t one = 1;
    // An eventfd write of 1 cannot fail short of overflow; it stays readable.
    [[maybe_unused]] const ssize_t n = write(wake_fd_, &one, sizeof one);
    thread_.join();
  });
}

Config Simulator::GetConfig() const {
  std::lock_guard lock(mutex_);
  return config_;
}

void Simulator::SetConfig(const Config& config) {
  Checked(config);
  std::lock_guard lock(mutex_);
  config_ = config;
}

void Simulator::InjectOnce(const Behaviour& behaviour) {
  std::lock_guard lock(mutex_);
  one_shot_ = behaviour;
}

Behaviour Simulator::NextBehaviour(const Config& config) {
  {
    std::lock_guard lock(mutex_);
    if (one_shot_) {
      const Behaviour once = *one_shot_;
      one_shot_.reset();
      return once;
    }
  }
  ++answered_;
  if (config.fault_every > 0 && answered_ % config.fault_every == 0) {
    const auto faults = RotatingFaults();
    return faults[next_rotating_fault_++ % faults.size()];
  }
  return config.behaviour;
}

bool Simulator::Respond(const std::uint8_t* request, Clock::time_point request_end) {
  const Config config = GetConfig();
  const auto answer = Answer({request, kRequestSize}, config.address, config.readings);
  if (!answer) return true;
  const Transmission transmission =
      Shape(*answer, NextBehaviour(config), config.reply_delay, random_);
  if (transmission.empty()) return true;
  LineWriter writer(pty_.master(), wake_fd_);
  const Clock::time_point start = config.paced ? std::max(request_end, Clock::now()) : Clock::now();
  return writer.Send(transmission, start, config.paced, [this] { replies_sent_.fetch_add(1); });
}

void Simulator::Serve() {
  RequestFramer framer;
  std::array<std::uint8_t, 512> buffer{};
  for (;;) {
    std::array<pollfd, 2> fds{{{pty_.master(), POLLIN, 0}, {wake_fd_, POLLIN, 0}}};
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    if (fds[0].revents == 0) continue;
    const ssize_t n = read(pty_.master(), buffer.data(), buffer.size());
    if (n <= 0) continue;  // EAGAIN/EINTR; the held slave rules out a hang-up
    framer.Feed({buffer.data(), static_cast<std::size_t>(n)}, Clock::now());
    while (const auto request = framer.Next()) {
      requests_seen_.fetch_add(1);
      // On a real line the request's last byte arrives 8 character times
      // after its first.
      const Clock::time_point request_end =
          request->first_byte_at + static_cast<int>(kRequestSize) * LineWriter::kCharTime;
      if (!Respond(request->bytes.data(), request_end)) return;
    }
  }
}

}  // namespace sim
