// Reads and writes a tty's line settings through termios2 (TCGETS2/TCSETS2),
// the only interface that takes any bit rate (BOTHER). The kernel header it
// needs clashes with glibc's <termios.h>, so it lives in termios2_io.cpp alone.
#pragma once

#include "linux/line_settings.h"

namespace platform::linux_backend {

// Each returns 0 or the errno of the failed ioctl.
int ReadLineSettings(int fd, LineSettings* settings);
// Sets flags, rate and XON/XOFF characters; VMIN and VTIME are always 0 (the
// layer times every transfer itself and never blocks in read()).
int WriteLineSettings(int fd, const LineSettings& settings);

}  // namespace platform::linux_backend
