#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "sim/config.h"
#include "sim/line_end.h"
#include "trace/frame_trace.h"

namespace sim {

// Where the simulator serves.
struct Attachment {
  // An existing serial device to serve (see DeviceLine); empty: a
  // pseudo-terminal of its own, which never hangs up.
  std::string device;
  // Called once, on the serving thread, when the device hangs up (its far end
  // closed or it was unplugged); serving ends there.
  std::function<void()> on_hang_up = nullptr;
  // Where to record the line's events (null: nowhere, at no cost): "open PATH" once the line
  // is had (before opening for a device), "error MESSAGE" when that fails or the device hangs
  // up, "rx N HEX..." for every read from the line, "tx N HEX..." for every write to it, "close
  // PATH" at destruction. Must outlive the simulator.
  trace::FrameTrace* trace = nullptr;
};

// The level-gauge instrument as a Modbus RTU slave on a pseudo-terminal.
// Construction opens the pty and starts serving on a thread of its own;
// clients open SlavePath() like a serial port (any line settings: a pty
// ignores them). All public members may be called from any thread.
// Throws std::system_error when the pty, the device or the wake-up descriptor
// cannot be had, std::invalid_argument for a configuration outside the
// instrument's ranges (addresses 1..247 and distinct, variant 0..3, relays
// 0..15).
class Simulator {
 public:
  explicit Simulator(const Config& config = {}, Attachment attachment = {});
  ~Simulator();  // stops
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // The device a client opens, e.g. "/dev/pts/7"; with an attached device,
  // that device.
  const std::string& SlavePath() const { return line_->path(); }

  // Ends serving and joins the thread; returns promptly even in the middle of
  // a paced or delayed reply. Idempotent. The pty stays open until destruction.
  void Stop();

  Config GetConfig() const;
  // Takes effect from the next request on. Throws std::invalid_argument (see
  // above) and then keeps the previous configuration.
  void SetConfig(const Config& config);
  // The next reply only goes out under `behaviour`, then the configured one
  // applies again.
  void InjectOnce(const Behaviour& behaviour);

  // Well-formed (CRC-valid) request frames seen, to any address.
  std::uint64_t RequestsSeen() const { return requests_seen_.load(); }
  // Transmissions put on the line (each reply shape counts once; silence not),
  // counted before their last byte goes out.
  std::uint64_t RepliesSent() const { return replies_sent_.load(); }

 private:
  void Serve();
  // Answers one request; false when stopping interrupted it.
  bool Respond(const std::uint8_t* request, std::chrono::steady_clock::time_point request_end);
  Behaviour NextBehaviour(const Config& config);

  trace::FrameTrace* trace_;
  std::unique_ptr<LineEnd> line_;
  std::function<void()> on_hang_up_;
  int wake_fd_ = -1;

  mutable std::mutex mutex_;
  Config config_;                      // guarded by mutex_
  std::optional<Behaviour> one_shot_;  // guarded by mutex_

  std::atomic<std::uint64_t> requests_seen_{0};
  std::atomic<std::uint64_t> replies_sent_{0};
  std::uint64_t answered_ = 0;           // serving thread only
  std::size_t next_rotating_fault_ = 0;  // serving thread only
  std::mt19937 random_;                  // serving thread only
  std::thread thread_;
  std::once_flag stopped_;
};

}  // namespace sim
