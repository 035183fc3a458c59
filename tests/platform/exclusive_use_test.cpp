// Exclusive use of a tty: other programs are kept out while a handle is open,
// and let in again once it is closed or an open failed half-way. Root passes
// TIOCEXCL, so those checks run in a child process as an unprivileged user.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>

#include "platform/comm_api.h"
#include "support/pseudo_terminal.h"

namespace platform {
namespace {

constexpr uid_t kNobodyId = 65534;  // when there is no user "nobody"
constexpr std::string_view kSkipMark = "SKIP: ";

HANDLE OpenPort(const std::string& path) {
  return Comm().CreateFileA(("\\\\.\\" + path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OVERLAPPED, 0);
}

// Whether a plain open() of `path` succeeds, as another program would try it.
bool OthersCanOpen(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd >= 0) ::close(fd);
  return fd >= 0;
}

// Runs `check` in a child process that gave up root for nobody's ids; gives
// the child's report, empty when every expectation held.
std::string AsUnprivilegedUser(const std::function<std::string()>& check) {
  int report_pipe[2];
  if (::pipe(report_pipe) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child < 0) return "no child process";
  if (child == 0) {
    const passwd* nobody = ::getpwnam("nobody");
    const bool unprivileged =
        ::geteuid() != 0 ||
        (::setgroups(0, nullptr) == 0 && ::setgid(nobody ? nobody->pw_gid : kNobodyId) == 0 &&
         ::setuid(nobody ? nobody->pw_uid : kNobodyId) == 0);
    const std::string report =
        unprivileged ? check() : std::string(kSkipMark) + "cannot become an unprivileged user";
    const ssize_t sent = ::write(report_pipe[1], report.data(), report.size());
    ::_exit(sent == static_cast<ssize_t>(report.size()) ? 0 : 1);
  }
  ::close(report_pipe[1]);
  std::string report;
  char chunk[256];
  for (ssize_t got; (got = ::read(report_pipe[0], chunk, sizeof chunk)) > 0;) {
    report.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(report_pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  const bool reported = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return reported ? report : report + "the child process ended without its report";
}

TEST(ExclusiveUse, HeldWhileOpenAndGivenBackOnCloseAndOnAFailedOpen) {
  const std::string report = AsUnprivilegedUser([] {
    const vlk_test::PseudoTerminal pty;  // its master keeps the tty alive, as a simulator would
    const std::string& tty = pty.SlavePath();
    std::string failures;
    const auto expect = [&](bool held, std::string_view what) {
      if (!held) failures += std::string(what) + "\n";
    };
    const HANDLE first = OpenPort(tty);
    expect(first != INVALID_HANDLE_VALUE, "the first open failed");
    expect(OpenPort(tty) == INVALID_HANDLE_VALUE, "a second handle was opened at once");
    expect(!OthersCanOpen(tty), "another program opened the tty in use");
    Comm().CloseHandle(first);
    expect(OthersCanOpen(tty), "after the close other programs are still kept out");
    const HANDLE again = OpenPort(tty);
    expect(again != INVALID_HANDLE_VALUE, "the open after the close failed");
    Comm().CloseHandle(again);

    // Room for the tty's descriptor but none for the layer's wake-up
    // descriptor: the open fails after it took the tty.
    const int lowest_free = ::open("/dev/null", O_RDONLY);
    ::close(lowest_free);
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(lowest_free) + 1;
    ::setrlimit(RLIMIT_NOFILE, &tight);
    const HANDLE starved = OpenPort(tty);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    expect(starved == INVALID_HANDLE_VALUE, "an open without a spare descriptor succeeded");
    expect(OthersCanOpen(tty), "after a failed open other programs are still kept out");
    return failures;
  });
  if (report.rfind(kSkipMark, 0) == 0) GTEST_SKIP() << report;
  EXPECT_EQ(report, "");
}

// Root opens a tty that another program holds exclusively; closing that
// handle must leave the other program's claim alone.
TEST(ExclusiveUse, AnotherProgramsClaimOutlivesRootsHandle) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root opens a tty another program holds exclusively";
  const vlk_test::PseudoTerminal pty;
  const int other = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::ioctl(other, TIOCEXCL), 0);
  const HANDLE port = OpenPort(pty.SlavePath());
  ASSERT_NE(port, INVALID_HANDLE_VALUE) << Comm().GetLastError();
  Comm().CloseHandle(port);
  int exclusive = 0;
  ASSERT_EQ(::ioctl(other, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 1);
  ::close(other);
}

}  // namespace
}  // namespace platform
