// Runs a step of a test as a user without privileges, in a forked child: root ignores permission
// bits, so what they allow or refuse shows only for another user. Tests already running
// unprivileged keep their own user in the child.
#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

namespace form::testing {

class Unprivileged {
 public:
  // The user to run as, or nullopt when running as root and no user "nobody" exists.
  static std::optional<Unprivileged> Find() {
    if (::geteuid() != 0) return Unprivileged(::geteuid(), ::getegid());
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) return std::nullopt;
    return Unprivileged(nobody->pw_uid, nobody->pw_gid);
  }

  // Gives `path` (not a link's target) to the user; files are the user's already when the
  // tests run unprivileged.
  void Own(const std::filesystem::path& path) const {
    if (::geteuid() == 0) {
      EXPECT_EQ(::lchown(path.c_str(), uid_, gid_), 0) << path;
    }
  }

  // Runs `step` in a child as the user and returns its result; nullopt when the child could
  // not become the user or did not end normally. The child leaves with _exit, so nothing of
  // the test program runs twice.
  template <typename Step>
  std::optional<int> Run(Step step) const {
    const pid_t child = ::fork();
    if (child == 0) {
      if (::geteuid() == 0 &&
          (::setgroups(0, nullptr) != 0 || ::setgid(gid_) != 0 || ::setuid(uid_) != 0)) {
        ::_exit(kCouldNotBecomeTheUser);
      }
      ::_exit(step());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == kCouldNotBecomeTheUser) {
      return std::nullopt;
    }
    return WEXITSTATUS(status);
  }

 private:
  static constexpr int kCouldNotBecomeTheUser = 255;

  Unprivileged(uid_t uid, gid_t gid) : uid_(uid), gid_(gid) {}

  uid_t uid_;
  gid_t gid_;
};

}  // namespace form::testing
