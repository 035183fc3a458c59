#pragma once

#include <chrono>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "sim/config.h"

namespace sim {

// One character at 9600 bit/s, 8E1: start, 8 data, parity, stop = 11 bits.
inline constexpr std::chrono::nanoseconds kCharacterTime{11'000'000'000LL / 9600};

// One burst of bytes on the line, after a pause measured from the end of the
// previous burst (for the first one: from the end of the request).
struct Segment {
  std::chrono::microseconds pause_before{0};
  std::vector<std::uint8_t> bytes;
  // The bytes follow each other at the line's pace even when the line is not
  // paced: a stream that jams the line must last its time.
  bool line_paced = false;

  friend bool operator==(const Segment&, const Segment&) = default;
};
using Transmission = std::vector<Segment>;

// Turns the instrument's answer (a complete frame of at least 5 bytes) into what the line carries
// under `behaviour`. `turnaround` is the instrument's own reply delay; `random` supplies the random
// bytes of noise, extra bytes and a babble. An empty result means silence.
Transmission Shape(std::span<const std::uint8_t> answer, const Behaviour& behaviour,
                   std::chrono::microseconds turnaround, std::mt19937& random);

// The faults that Config::fault_every cycles through, in this order.
std::span<const Behaviour> RotatingFaults();

}  // namespace sim
