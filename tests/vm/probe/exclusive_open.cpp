#include <fcntl.h>
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>
#include <string>

#include "platform/comm_api.h"
#include "probe.h"

namespace vm_probe {
namespace {

// The unprivileged user of the test: "nobody".
constexpr uid_t kOtherUser = 65534;

platform::HANDLE Open(const std::string& device) {
  const std::string path = "\\\\.\\" + device;
  return platform::Comm().CreateFileA(path.c_str(),
                                      platform::GENERIC_READ | platform::GENERIC_WRITE, 0, nullptr,
                                      platform::OPEN_EXISTING, platform::FILE_FLAG_OVERLAPPED, 0);
}

// This program's file. Read before dropping privileges: a process that changed its user
// may no longer read its own /proc/self/exe.
std::string OwnProgram() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

// The exit status of "vm_probe try-open DEVICE" run by root or by kOtherUser: the error code
// of its open, 0 when it opened; -1 when it could not be run.
int OpenInChild(const std::string& device, bool as_other_user) {
  const std::string program = OwnProgram();
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    // Only system calls between fork and exec: the parent has threads.
    if (as_other_user &&
        (setgroups(0, nullptr) != 0 || setgid(kOtherUser) != 0 || setuid(kOtherUser) != 0)) {
      _exit(255);
    }
    const char* const args[] = {"vm_probe", "try-open", device.c_str(), nullptr};
    execv(program.c_str(), const_cast<char* const*>(args));
    _exit(255);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace

int RunTryOpen(const std::string& device) {
  const platform::HANDLE handle = Open(device);
  if (handle == platform::INVALID_HANDLE_VALUE) {
    const platform::DWORD code = platform::Comm().GetLastError();
    return code == 0 || code > 254 ? 254 : static_cast<int>(code);
  }
  platform::Comm().CloseHandle(handle);
  return 0;
}

int RunExclusive(const std::string& device) {
  const platform::HANDLE holder = Open(device);
  if (holder == platform::INVALID_HANDLE_VALUE) {
    std::cout << "error=\"the first open failed with " << platform::Comm().GetLastError() << "\""
              << std::endl;
    return 1;
  }
  const int held_root = OpenInChild(device, false);
  const int held_other = OpenInChild(device, true);
  platform::Comm().CloseHandle(holder);
  const int freed_root = OpenInChild(device, false);
  const int freed_other = OpenInChild(device, true);
  std::cout << "held_root=" << held_root << " held_other=" << held_other
            << " freed_root=" << freed_root << " freed_other=" << freed_other << std::endl;
  return 0;
}

int RunHold(const std::string& device) {
  const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0 || ioctl(fd, TIOCEXCL) != 0) {
    std::cout << "error=\"cannot hold " << device << "\"" << std::endl;
    return 1;
  }
  std::cout << "held" << std::endl;
  for (;;) pause();
}

int RunOpenAsOther(const std::string& device) {
  std::cout << "other=" << OpenInChild(device, true) << std::endl;
  return 0;
}

}  // namespace vm_probe
