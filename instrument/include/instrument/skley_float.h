#pragma once

#include <cstdint>

namespace instrument {

// Reads four reply bytes, most significant first, as the bit pattern of an IEEE 754 single and
// widens it to double.
//
// The instrument's firmware was written for a process that traps invalid operations, where
// loading a signalling NaN raised an exception that was caught and turned into 0.0. Traps are
// not switched on here (a trap is a SIGFPE that would kill the process), so the pattern is
// recognised by its bits instead and still gives 0.0. Quiet NaN and infinities pass through.
double SKLEY_FLOAT(std::uint8_t b3, std::uint8_t b2, std::uint8_t b1, std::uint8_t b0);

}  // namespace instrument
