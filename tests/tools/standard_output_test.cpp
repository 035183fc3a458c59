// Standard output on a descriptor, as the program has it: a cyclic read stops
// at the first record it cannot write, and a terminal shows a poll's record
// before the message about it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

#include "reader/descriptor_output.h"
#include "reader/run_reader.h"
#include "sim/simulator.h"

namespace reader {
namespace {

// RunReader with standard output on `out_fd` and standard error on `err_fd`
// (which may be the same); closes them.
int RunOnDescriptors(int out_fd, int err_fd, const std::vector<std::string>& args) {
  const std::vector<std::string_view> views(args.begin(), args.end());
  int status = 0;
  {
    DescriptorOutput out_buffer(out_fd);
    DescriptorOutput err_buffer(err_fd);
    std::ostream out(&out_buffer);
    std::ostream err(&err_buffer);
    err << std::unitbuf;
    status = RunReader(views, out, err);
  }
  ::close(out_fd);
  if (err_fd != out_fd) ::close(err_fd);
  return status;
}

std::string ReadToEnd(int fd) {
  std::string text;
  char chunk[512];
  for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) > 0;) {
    text.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return text;
}

// As under a service manager, which starts programs with SIGPIPE ignored.
TEST(StandardOutput, ACyclicReadStopsWhenThePipesReaderHasGone) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction previous {};
  ASSERT_EQ(::sigaction(SIGPIPE, &ignore, &previous), 0);
  sim::Simulator simulator;
  // Text loses the first poll's lines; CSV its header, before any poll.
  const std::pair<std::string, std::size_t> formats[] = {{"--verbose", 1}, {"--csv", 0}};
  for (const auto& [format, polls] : formats) {
    int out_pipe[2];
    int err_pipe[2];
    ASSERT_EQ(::pipe(out_pipe), 0);
    ASSERT_EQ(::pipe(err_pipe), 0);
    ::close(out_pipe[0]);
    const std::size_t polls_before = simulator.RequestsSeen();
    const int status = RunOnDescriptors(out_pipe[1], err_pipe[1],
                                        {"--port", simulator.SlavePath(), "--cycle", "--interval",
                                         "0.01", "--count", "1000", format});
    EXPECT_EQ(status, kExitOutputLost) << format;
    EXPECT_EQ(ReadToEnd(err_pipe[0]), "vlk240-read: standard output: Broken pipe\n") << format;
    EXPECT_EQ(simulator.RequestsSeen() - polls_before, polls) << format;
  }
  ::sigaction(SIGPIPE, &previous, nullptr);
}

TEST(StandardOutput, ARecordPrecedesTheMessageAboutIt) {
  sim::Config refusing;
  refusing.behaviour.kind = sim::BehaviourKind::kException;
  sim::Simulator simulator(refusing);
  int shared[2];
  ASSERT_EQ(::pipe(shared), 0);
  EXPECT_EQ(RunOnDescriptors(shared[1], shared[1], {"--port", simulator.SlavePath(), "--verbose"}),
            kExitNoReadings);
  EXPECT_EQ(ReadToEnd(shared[0]),
            "Послано:   1 4 0 0 0 13 49 207 \nПринято:   1 132 2 194 193 \n"
            "vlk240-read: address 1: exception reply, code 2; no readings\n");
}

}  // namespace
}  // namespace reader
