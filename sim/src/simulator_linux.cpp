#include "sim/simulator.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <exception>
#include <span>
#include <stdexcept>
#include <string>
#include <system_error>

#include "line_writer.h"
#include "sim/device_line.h"
#include "sim/instrument.h"
#include "sim/pty_pair.h"
#include "sim/reply_shaper.h"
#include "sim/request_framer.h"

namespace sim {

using Clock = std::chrono::steady_clock;

namespace {

bool ValidAddress(std::uint8_t address) { return address >= 1 && address <= 247; }

const Config& Checked(const Config& config) {
  if (!ValidAddress(config.address)) {
    throw std::invalid_argument("simulator address must be 1..247");
  }
  for (auto n = config.neighbours.begin(); n != config.neighbours.end(); ++n) {
    const auto same_address = [&](const Neighbour& other) { return other.address == n->address; };
    if (!ValidAddress(n->address) || n->address == config.address ||
        std::any_of(config.neighbours.begin(), n, same_address)) {
      throw std::invalid_argument("neighbour addresses must be 1..247, each on its own");
    }
  }
  if (config.readings.variant > 3 || config.readings.relays > 0x0F) {
    throw std::invalid_argument("simulator variant must be 0..3 and relays a 4-bit mask");
  }
  return config;
}

std::unique_ptr<LineEnd> OpenLine(const std::string& device) {
  if (device.empty()) return std::make_unique<PtyPair>();
  return std::make_unique<DeviceLine>(device);
}

// OpenLine, recorded in `trace` when there is one.
std::unique_ptr<LineEnd> OpenTracedLine(const std::string& device, trace::FrameTrace* trace) {
  if (trace == nullptr) return OpenLine(device);
  if (!device.empty()) trace->Opening(device, {});
  try {
    std::unique_ptr<LineEnd> line = OpenLine(device);
    if (device.empty()) trace->Opening(line->path(), {});
    return line;
  } catch (const std::exception& error) {
    trace->Failed(error.what());
    throw;
  }
}

const Neighbour* FindNeighbour(const Config& config, std::uint8_t address) {
  const auto found = std::find_if(config.neighbours.begin(), config.neighbours.end(),
                                  [&](const Neighbour& n) { return n.address == address; });
  return found == config.neighbours.end() ? nullptr : &*found;
}

}  // namespace

Simulator::Simulator(const Config& config, Attachment attachment)
    : trace_(attachment.trace),
      line_(OpenTracedLine(attachment.device, trace_)),
      on_hang_up_(std::move(attachment.on_hang_up)),
      config_(Checked(config)),
      random_(config.noise_seed) {
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
  if (trace_ != nullptr) trace_->Closing(line_->path());
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
  const Neighbour* neighbour = FindNeighbour(config, request[0]);
  const std::uint8_t address = neighbour != nullptr ? neighbour->address : config.address;
  const auto answer = Answer({request, kRequestSize}, address, config.readings);
  if (!answer) return true;
  const Behaviour behaviour = neighbour != nullptr ? neighbour->behaviour : NextBehaviour(config);
  const Transmission transmission = Shape(*answer, behaviour, config.reply_delay, random_);
  if (transmission.empty()) return true;
  LineWriter writer(line_->fd(), wake_fd_, trace_);
  const Clock::time_point start = config.paced ? std::max(request_end, Clock::now()) : Clock::now();
  return writer.Send(transmission, start, config.paced, [this] { replies_sent_.fetch_add(1); });
}

void Simulator::Serve() {
  RequestFramer framer(GetConfig().frame_gap);
  std::array<std::uint8_t, 512> buffer{};
  for (;;) {
    std::array<pollfd, 2> fds{{{line_->fd(), POLLIN, 0}, {wake_fd_, POLLIN, 0}}};
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    if (fds[0].revents == 0) continue;
    const ssize_t n = read(line_->fd(), buffer.data(), buffer.size());
    if (n <= 0) {
      const int read_error = n < 0 ? errno : 0;
      // A hung-up device stays readable: leave rather than spin on it. An own
      // pty never hangs up, as the pair holds its slave.
      const bool retry = (read_error == EAGAIN || read_error == EINTR) &&
                         (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) == 0;
      if (retry) continue;
      if (trace_ != nullptr) {
        const std::string hung_up = line_->path() + " hung up";
        trace_->Failed(read_error != 0 ? hung_up + ": " + std::system_category().message(read_error)
                                       : hung_up);
      }
      if (on_hang_up_) on_hang_up_();
      return;
    }
    const std::span<const std::uint8_t> bytes(buffer.data(), static_cast<std::size_t>(n));
    if (trace_ != nullptr) trace_->Received(bytes);
    framer.Feed(bytes, Clock::now());
    while (const auto request = framer.Next()) {
      requests_seen_.fetch_add(1);
      // On a real line the request's last byte arrives 8 character times
      // after its first.
      const Clock::time_point request_end =
          request->first_byte_at + static_cast<int>(kRequestSize) * kCharacterTime;
      if (!Respond(request->bytes.data(), request_end)) return;
    }
  }
}

}  // namespace sim
