// The messages a cyclic read sends to the service manager that started it, received here on a
// datagram socket of our own named by NOTIFY_SOCKET, as systemd's would be, from the built
// program polling the simulator.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sim/simulator.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

class ServiceNotifyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "vlk240-notify-" + std::to_string(::getpid());
    std::remove(path_.c_str());
    socket_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(socket_, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path_.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path_.c_str(), path_.size());
    ASSERT_EQ(::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  }

  void TearDown() override {
    if (child_ > 0) {
      ::kill(child_, SIGKILL);
      ::waitpid(child_, nullptr, 0);
    }
    ::close(socket_);
    std::remove(path_.c_str());
  }

  // Starts the reader with `arguments`, NOTIFY_SOCKET and `more_environment`.
  void Start(std::vector<std::string> arguments, std::vector<std::string> more_environment = {}) {
    arguments.insert(arguments.begin(), VLK240_READ_PATH);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = std::move(more_environment);
    environment.push_back("NOTIFY_SOCKET=" + path_);
    for (char** variable = environ; *variable != nullptr; ++variable) {
      environment.emplace_back(*variable);
    }
    std::vector<char*> envp;
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    ASSERT_EQ(posix_spawn(&child_, VLK240_READ_PATH, &actions, nullptr, argv.data(), envp.data()),
              0);
    posix_spawn_file_actions_destroy(&actions);
  }

  // The next message, or "" when none came within `wait`.
  std::string Next(milliseconds wait = milliseconds(5000)) {
    pollfd ready{socket_, POLLIN, 0};
    if (::poll(&ready, 1, static_cast<int>(wait.count())) != 1) return {};
    char buffer[4096];
    const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
    return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
  }

  // Stops the reader as systemctl stop does; its exit status, -1 when a signal ended it.
  int Stop() {
    ::kill(child_, SIGTERM);
    int wait_status = 0;
    ::waitpid(child_, &wait_status, 0);
    child_ = 0;
    return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  }

  // The messages that came until the socket stayed quiet for half a second.
  std::vector<std::string> Rest() {
    std::vector<std::string> rest;
    for (std::string message = Next(milliseconds(500)); !message.empty();
         message = Next(milliseconds(500))) {
      rest.push_back(message);
    }
    return rest;
  }

  std::string path_;
  int socket_ = -1;
  pid_t child_ = 0;
};

// Ready once polling starts, then per cycle the watchdog and a status line of who answers;
// stopped, STOPPING=1 last, and the exit status of the polls: 0 when every one was answered,
// 1 (which the unit counts as a clean stop) when an instrument stayed silent.
TEST_F(ServiceNotifyTest, ReadyThenWatchdogAndStatusEachCycleThenStopping) {
  sim::Simulator simulator;
  const struct {
    std::string addresses;
    std::string status;
    int exit_status;
  } rows[] = {
      {"1", "STATUS=1 of 1 instrument answering", 0},
      {"1,2", "STATUS=1 of 2 instruments answering", 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.addresses);
    Start({"--port", simulator.SlavePath(), "--address", row.addresses, "--cycle", "--interval",
           "0.2"});
    EXPECT_EQ(Next(), "READY=1\nSTATUS=polling " +
                          std::string(row.addresses == "1" ? "1 instrument" : "2 instruments"));
    for (int cycle = 1; cycle <= 3; ++cycle) {
      EXPECT_EQ(Next(), "WATCHDOG=1\n" + row.status) << "cycle " << cycle;
    }
    EXPECT_EQ(Stop(), row.exit_status);
    const std::vector<std::string> rest = Rest();
    ASSERT_FALSE(rest.empty());
    EXPECT_EQ(rest.back(), "STOPPING=1");
  }
}

// With a watchdog of 400 ms and an interval of 5 s the reader tells it every 200 ms or so
// while it waits for the next cycle; it tells nothing while it is stopped (SIGSTOP), so that
// the manager restarts a reader that hangs.
TEST_F(ServiceNotifyTest, AWatchdogIsToldThroughALongIntervalAndNotWhileStopped) {
  sim::Simulator simulator;
  Start({"--port", simulator.SlavePath(), "--cycle", "--interval", "5"}, {"WATCHDOG_USEC=400000"});
  ASSERT_EQ(Next().rfind("READY=1", 0), 0u);
  ASSERT_EQ(Next().rfind("WATCHDOG=1\nSTATUS=", 0), 0u);
  const auto start = Clock::now();
  for (int keepalive = 1; keepalive <= 5; ++keepalive) {
    EXPECT_EQ(Next(milliseconds(1000)), "WATCHDOG=1") << "keepalive " << keepalive;
  }
  // Five within the interval, not only after it.
  EXPECT_LT(Clock::now() - start, milliseconds(3000));

  ::kill(child_, SIGSTOP);
  Rest();  // what was under way
  EXPECT_EQ(Next(milliseconds(1000)), "") << "told while stopped";
  ::kill(child_, SIGCONT);
  EXPECT_EQ(Next(milliseconds(1000)), "WATCHDOG=1");
  EXPECT_EQ(Stop(), 0);
}

}  // namespace
