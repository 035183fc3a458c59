// A Modbus slave of the tests' own on a pseudo-terminal, for several addresses, which writes
// each reply at the pace of a 9600 bit/s 8E1 line in pieces a script gives. Its replies are the
// worked example's with the level of channel 1 telling who answered and to which request:
// address × 1000 + the number of requests that address has had (1, 2, ...), so that a record
// shows whose values it carries and which poll they answer.
//
// Thread rule: construct and destroy on one thread; the serving runs on a thread of its own.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <thread>
#include <vector>

#include "support/pseudo_terminal.h"

namespace reader::testing_slave {

using Bytes = std::vector<std::uint8_t>;

// Bytes on the line after a pause: from the end of the request for the first piece, from the
// end of the piece before for the others.
struct Piece {
  std::chrono::milliseconds pause{0};
  Bytes bytes;
};

// How an address puts its reply to its `request`-th request on the line.
using Script = std::function<std::vector<Piece>(int request, const Bytes& reply)>;

// The reply as it is, at once.
std::vector<Piece> Prompt(int request, const Bytes& reply);

// One character on the line, as the slave paces its bytes.
inline constexpr std::chrono::microseconds kCharacter{11'000'000 / 9600};

class RawSlave {
 public:
  explicit RawSlave(std::map<std::uint8_t, Script> scripts);
  ~RawSlave();
  RawSlave(const RawSlave&) = delete;
  RawSlave& operator=(const RawSlave&) = delete;

  const std::string& SlavePath() const { return pty_.SlavePath(); }

 private:
  void Serve();
  void Answer(const Bytes& request, std::chrono::steady_clock::time_point request_end);

  vlk_test::PseudoTerminal pty_;
  std::map<std::uint8_t, Script> scripts_;
  std::map<std::uint8_t, int> requests_;  // the serving thread's
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// What a reply's level of channel 1 says: the address that sent it and which of its requests
// it answers.
inline int AddressOf(double level1) { return static_cast<int>(level1) / 1000; }
inline int RequestOf(double level1) { return static_cast<int>(level1) % 1000; }

}  // namespace reader::testing_slave
