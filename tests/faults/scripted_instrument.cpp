#include "scripted_instrument.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace faults {

ScriptedInstrument::ScriptedInstrument(std::vector<std::uint8_t> answer)
    : answer_(std::move(answer)), thread_([this] { Serve(); }) {}

ScriptedInstrument::~ScriptedInstrument() {
  stopping_.store(true);
  thread_.join();
}

void ScriptedInstrument::Serve() {
  constexpr std::size_t kRequestSize = 8;
  std::size_t received = 0;
  // The short poll time-out is what lets the destructor stop this loop.
  while (!stopping_.load()) {
    pollfd wait{pty_.master(), POLLIN, 0};
    if (::poll(&wait, 1, 10) <= 0) continue;
    std::uint8_t chunk[64];
    const ssize_t n = ::read(pty_.master(), chunk, sizeof chunk);
    if (n <= 0) continue;
    received += static_cast<std::size_t>(n);
    if (received < kRequestSize) continue;
    received = 0;
    std::size_t written = 0;
    while (written < answer_.size()) {
      const ssize_t w = ::write(pty_.master(), answer_.data() + written, answer_.size() - written);
      if (w > 0) {
        written += static_cast<std::size_t>(w);
      } else if (w < 0 && errno != EINTR && errno != EAGAIN) {
        break;
      }
    }
  }
}

}  // namespace faults
