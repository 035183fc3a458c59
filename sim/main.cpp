// vlk240-sim: the level-gauge instrument on a pseudo-terminal (or on a given
// serial device), for running the program and its tests without hardware.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "sim/options.h"
#include "sim/simulator.h"
#include "trace/frame_trace.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  sim::Options options;
  try {
    options = sim::ParseOptions(args);
  } catch (const sim::OptionError& error) {
    std::cerr << argv[0] << ": " << error.what() << "\n" << sim::Usage(argv[0]);
    return 2;
  }
  if (options.help) {
    std::cout << sim::Usage(argv[0]);
    return 0;
  }
  std::unique_ptr<trace::FrameTrace> frame_trace;
  if (!options.trace.empty()) {
    try {
      frame_trace = trace::FrameTrace::Open(options.trace, std::cerr, "vlk240-sim");
    } catch (const std::system_error& error) {
      std::cerr << argv[0] << ": --trace: cannot open \"" << options.trace
                << "\": " << error.code().message() << "\n";
      return 2;
    }
  }

  // Block the stop signals before the serving thread exists so that it
  // inherits the mask and only sigwait() below sees them.
  // A shell starts background jobs with SIGINT ignored, and an ignored signal
  // never reaches sigwait(): restore the default first. SIGHUP also comes from
  // the serving thread when the served device hangs up.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
    signal(number, SIG_DFL);
    sigaddset(&stop_signals, number);
  }
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  try {
    sim::Attachment attachment{options.device, [] { kill(getpid(), SIGHUP); }, frame_trace.get()};
    sim::Simulator simulator(options.config, std::move(attachment));
    std::cout << simulator.SlavePath() << std::endl;
    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
    simulator.Stop();
    if (signal_number == SIGHUP) {
      std::cerr << argv[0] << ": " << simulator.SlavePath() << " hung up\n";
      return 1;
    }
  } catch (const std::exception& error) {
    std::cerr << argv[0] << ": " << error.what() << "\n";
    return 1;
  }
  return 0;
}
