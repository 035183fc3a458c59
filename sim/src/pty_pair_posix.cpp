#include "sim/pty_pair.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

namespace sim {
namespace {

[[noreturn]] void Fail(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PtyPair::PtyPair() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) Fail("posix_openpt");
  try {
    if (grantpt(master_) != 0) Fail("grantpt");
    if (unlockpt(master_) != 0) Fail("unlockpt");
    std::array<char, 128> name{};
    if (const int err = ptsname_r(master_, name.data(), name.size()); err != 0) {
      errno = err;
      Fail("ptsname_r");
    }
    slave_path_ = name.data();
    slave_ = open(slave_path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) Fail("open pty slave");
    termios raw{};
    if (tcgetattr(slave_, &raw) != 0) Fail("tcgetattr");
    cfmakeraw(&raw);
    if (tcsetattr(slave_, TCSANOW, &raw) != 0) Fail("tcsetattr");
  } catch (...) {
    if (slave_ >= 0) close(slave_);
    close(master_);
    throw;
  }
}

PtyPair::~PtyPair() {
  close(slave_);
  close(master_);
}

}  // namespace sim
