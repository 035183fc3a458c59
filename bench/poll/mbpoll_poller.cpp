#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "pollers.h"

extern char** environ;

PollRun PollWithMbpoll(const std::string& device, int count) {
  PollRun run;
  std::vector<std::string> args{"mbpoll", "-m", "rtu", "-a", "1",  "-b", "9600", "-P", "even",
                                "-t",     "3",  "-r",  "1",  "-c", "13", "-1",   "-q", device};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  for (int i = 0; i < count; ++i) {
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "mbpoll", &actions, nullptr, argv.data(), environ) != 0) break;
    int status = 0;
    waitpid(pid, &status, 0);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) run.round_trips.push_back(took.count());
  }
  posix_spawn_file_actions_destroy(&actions);
  return run;
}
