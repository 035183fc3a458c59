// How long each step of one exchange may take. Every user takes the number from here: the
// window's timer, the instrument port's time-outs, the in-process line, the bus scan and the
// benchmarks.
#pragma once

#include <chrono>
#include <cstdint>

namespace exchange {

// The window's reply time-out, `Time_is_out`: longer than the longest read below (31 bytes,
// 186 ms), so the count of unanswered polls never runs ahead of a reply still being read.
inline constexpr std::int32_t REPLY_TIMEOUT_MS = 270;

// Read time-out per byte asked for (ReadTotalTimeoutMultiplier): a 31-byte reply takes 36 ms at
// 9600 bit/s, so a slow instrument has five times that before the read gives up.
inline constexpr std::int32_t READ_TIMEOUT_MS_PER_BYTE = 6;

// Write time-out per byte sent (WriteTotalTimeoutMultiplier): a byte takes about 1 ms at
// 9600 bit/s, so a write ends by time-out only when the line is stuck.
inline constexpr std::int32_t WRITE_TIMEOUT_MS_PER_BYTE = 150;

// One character on the line: start bit, 8 data bits, even parity and a stop bit at 9600 bit/s.
inline constexpr std::chrono::nanoseconds CHARACTER_TIME{11'000'000'000LL / 9600};

// The silence that ends a frame on the line, 3.5 characters (4.01 ms): a shared line's request
// waits for it after the last byte received or sent.
inline constexpr std::chrono::nanoseconds FRAME_GAP = CHARACTER_TIME * 7 / 2;

static_assert(31 * READ_TIMEOUT_MS_PER_BYTE < REPLY_TIMEOUT_MS);

}  // namespace exchange
