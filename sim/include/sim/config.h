#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace sim {

// What the instrument measures and reports in its 13 input registers.
// The defaults are those of the reference reply (address 1):
// 01 04 1A 00 00 42 36 00 00 41 F2 00 00 41 40 00 00 42 C8 00 00 00 15 00 0A 42 48 00 00 47 76
struct Readings {
  std::uint8_t fault = 0;         // sensor fault code, register 0 low byte
  float level1 = 45.5F;           // registers 1-2
  float volume1 = 30.25F;         // registers 3-4
  float level2 = 12.0F;           // registers 5-6
  float volume2 = 100.0F;         // registers 7-8
  std::uint8_t variant = 1;       // 0..3, bits 4-5 of the status byte (register 9 low byte)
  std::uint8_t relays = 0x05;     // bits 0-3 of the status byte: relay 1 is bit 0
  std::uint8_t alarm_delay = 10;  // seconds, register 10 low byte
  float selfcal = 50.0F;          // registers 11-12

  // Register 9's low byte as the instrument sends it.
  std::uint8_t StatusByte() const {
    return static_cast<std::uint8_t>(((variant & 0x03U) << 4) | (relays & 0x0FU));
  }
};

// How the simulated instrument (or the line) misbehaves when answering.
enum class BehaviourKind {
  kNormal,        // correct reply
  kSilent,        // no reply at all
  kException,     // exception reply (function | 0x80) with `exception_code`
  kBadCrc,        // correct reply with both CRC bytes inverted
  kStray,         // `stray_bytes` (1..5) zero bytes before the reply
  kOtherAddress,  // correct reply carrying another address
  kCut,           // only the first `cut_after` bytes of the reply
  kNoise,         // random bytes before, inside and after the reply
  kLate,          // the reply after `late` instead of the turnaround delay
  kSplit,         // the reply in three pieces separated by `split_pause`
  kRepeat,        // the reply, then after `repeat_pause` the same reply again
  kExtra,         // the reply followed at once by `extra_bytes` (1..255) random bytes
  kPause,         // the first `pause_after` bytes, a silence of `pause`, then the rest
  kBabble,        // no reply: random bytes back to back at line speed for `babble`
};

struct Behaviour {
  BehaviourKind kind = BehaviourKind::kNormal;
  std::uint8_t exception_code = 2;
  int stray_bytes = 1;
  int cut_after = 10;
  std::chrono::milliseconds late{250};        // beyond the master's 186 ms read window
  std::chrono::milliseconds split_pause{20};  // far longer than one character time
  std::chrono::milliseconds repeat_pause{5};
  int extra_bytes = 5;
  int pause_after = 20;
  // Long enough that the rest misses the master's 186 ms read window.
  std::chrono::milliseconds pause{190};
  std::chrono::milliseconds babble{2000};  // a jammed line outlasts several polls

  friend bool operator==(const Behaviour&, const Behaviour&) = default;
};

// Another instrument on the same RS485 line: it answers requests to its own
// address under its own behaviour, with the same readings. One-shot and
// rotating faults stay with the main instrument.
struct Neighbour {
  std::uint8_t address = 2;
  Behaviour behaviour;

  friend bool operator==(const Neighbour&, const Neighbour&) = default;
};

struct Config {
  std::uint8_t address = 1;  // 1..247
  // Addresses 1..247, each other than `address` and each other's.
  std::vector<Neighbour> neighbours;
  Readings readings;
  Behaviour behaviour;
  // Deliver reply bytes at the pace of a 9600 bit/s 8E1 line (11 bits a byte)
  // and account for the request's own wire time; otherwise bytes go at once.
  bool paced = false;
  // The instrument's turnaround between the end of a request and its reply.
  std::chrono::microseconds reply_delay{0};
  // Silence that ends a partial request (RequestFramer); read when serving
  // starts. A line whose bytes come with pauses, such as an emulated UART on a
  // busy machine, needs more than the 3.5 characters of a real one.
  std::chrono::microseconds frame_gap{4000};
  // When N > 0, every Nth reply takes the next entry of kRotatingFaults
  // instead of `behaviour` (for long soak runs).
  unsigned fault_every = 0;
  std::uint32_t noise_seed = 1;  // makes noise reproducible
};

}  // namespace sim
