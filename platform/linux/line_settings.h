// The termios state the layer programs, as plain numbers so that both sides
// of the <termios.h> / <asm/termbits.h> clash can share it. Flag values are
// the kernel's, which glibc's <termios.h> repeats bit for bit; the speed bits
// (CBAUD, CIBAUD) are never part of `cflag`: the rate lives in `baud`.
#pragma once

#include <cstdint>

namespace platform::linux_backend {

struct LineSettings {
  std::uint32_t iflag = 0;
  std::uint32_t oflag = 0;
  std::uint32_t cflag = 0;
  std::uint32_t lflag = 0;
  std::uint32_t baud = 0;        // bit/s, same both directions
  unsigned char start_char = 0;  // VSTART (XON)
  unsigned char stop_char = 0;   // VSTOP (XOFF)
};

}  // namespace platform::linux_backend
