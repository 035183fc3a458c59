#include "support/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace vlk_test {

PseudoTerminal::PseudoTerminal() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
    if (master_ >= 0) close(master_);
    throw std::runtime_error("no pseudo-terminal available");
  }
  char name[128] = {};
  if (ptsname_r(master_, name, sizeof name) != 0) {
    close(master_);
    throw std::runtime_error("pseudo-terminal without a slave name");
  }
  slave_path_ = name;
}

PseudoTerminal::~PseudoTerminal() { CloseMaster(); }

void PseudoTerminal::CloseMaster() {
  if (master_ >= 0) close(master_);
  master_ = -1;
}

void PseudoTerminal::Write(const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw std::runtime_error("write to the pseudo-terminal failed");
    done += static_cast<std::size_t>(n);
  }
}

std::vector<std::uint8_t> PseudoTerminal::ReadSome(int timeout_ms) {
  pollfd fd{master_, POLLIN, 0};
  if (poll(&fd, 1, timeout_ms) <= 0 || (fd.revents & POLLIN) == 0) return {};
  std::vector<std::uint8_t> bytes(4096);
  const ssize_t n = read(master_, bytes.data(), bytes.size());
  bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return bytes;
}

}  // namespace vlk_test
