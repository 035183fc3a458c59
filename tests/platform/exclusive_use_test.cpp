// Exclusive use of a tty: other programs are kept out while a handle is open,
// and let in again once it is closed or an open failed half-way. Root passes
// TIOCEXCL, so those checks run in a child process as an unprivileged user.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
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

// The tty's exclusive flag as root sees it through a descriptor of its own;
// -1 when it cannot look.
int ExclusiveFlagOf(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return -1;
  int flag = -1;
  if (::ioctl(fd, TIOCGEXCL, &flag) != 0) flag = -1;
  ::close(fd);
  return flag;
}

// Another program that holds a tty the way one that does not flock would: a
// process of its own with the tty open and its exclusive flag set, until it
// is killed.
class OtherHolder {
 public:
  explicit OtherHolder(const std::string& path) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      // Only system calls in the child: the test process may have threads.
      const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
      const char held = fd >= 0 && ::ioctl(fd, TIOCEXCL) == 0 ? 'y' : 'n';
      if (::write(ready[1], &held, 1) == 1) ::pause();
      ::_exit(1);
    }
    ::close(ready[1]);
    char held = 'n';
    held_ = pid_ > 0 && ::read(ready[0], &held, 1) == 1 && held == 'y';
    ::close(ready[0]);
  }
  ~OtherHolder() { Kill(); }
  OtherHolder(const OtherHolder&) = delete;
  OtherHolder& operator=(const OtherHolder&) = delete;

  bool Holds() const { return held_; }
  // kill -9: the program is gone without a word; its descriptor closes, and
  // a pseudo-terminal keeps the flag it set.
  void Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  bool held_ = false;
};

// Windows lets nobody open a COM port that another program holds; the kernel
// lets root through the exclusive flag, so the layer looks who holds it.
TEST(ExclusiveUse, RefusedWhileAnotherProgramHoldsTheFlagRootIncluded) {
  const vlk_test::PseudoTerminal pty;
  const std::string& tty = pty.SlavePath();
  OtherHolder holder(tty);
  ASSERT_TRUE(holder.Holds());
  const HANDLE port = OpenPort(tty);
  EXPECT_EQ(port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Comm().GetLastError(), 5u);
  EXPECT_EQ(Comm().GetLastSystemError(), EBUSY);
  if (port != INVALID_HANDLE_VALUE) Comm().CloseHandle(port);
  if (::geteuid() == 0) {
    EXPECT_EQ(ExclusiveFlagOf(tty), 1) << "the holder's flag was cleared";
  }

  holder.Kill();
  if (::geteuid() != 0) return;  // the flag left behind keeps everyone else out
  // Another descriptor in this very process counts as a holder as well.
  const int raw = ::open(tty.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(raw, 0);
  EXPECT_EQ(OpenPort(tty), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Comm().GetLastSystemError(), EBUSY);
  ::close(raw);
}

// A holder killed on a pseudo-terminal leaves the flag set while the master
// end stays open: root takes it over and clears it on close, so that other
// users can open the tty again.
TEST(ExclusiveUse, FlagLeftByAKilledHolderIsTakenOverAndCleared) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root opens a tty whose flag is left set";
  const vlk_test::PseudoTerminal pty;
  const std::string& tty = pty.SlavePath();
  OtherHolder holder(tty);
  ASSERT_TRUE(holder.Holds());
  holder.Kill();
  ASSERT_EQ(ExclusiveFlagOf(tty), 1) << "the kernel cleared the flag: nothing to take over";
  const HANDLE port = OpenPort(tty);
  ASSERT_NE(port, INVALID_HANDLE_VALUE) << Comm().GetLastError();
  EXPECT_EQ(ExclusiveFlagOf(tty), 1);
  Comm().CloseHandle(port);
  EXPECT_EQ(ExclusiveFlagOf(tty), 0);
}

}  // namespace
}  // namespace platform
