// Round trip of one poll (13 input registers) against the instrument
// simulator on a pseudo-terminal, for reference masters and for ours.
// Prints `name median p90 unit` lines; takes no arguments.
#include <chrono>

#include "pollers.h"
#include "sim/simulator.h"
#include "summary.h"

namespace {

constexpr int kInstantPolls = 500;
constexpr int kMbpollPolls = 30;
constexpr int kPacedPolls = 60;

sim::Config Paced() {
  sim::Config config;
  config.paced = true;
  return config;
}

}  // namespace

int main() {
  {
    sim::Simulator simulator;
    const auto libmodbus = Summarise(PollWithLibmodbus(simulator.SlavePath(), kInstantPolls));
    Print("poll_rtt_libmodbus", libmodbus, "ms");
    Print("poll_rate_libmodbus", RateOf(libmodbus), "polls/s");
    const auto mbpoll = Summarise(PollWithMbpoll(simulator.SlavePath(), kMbpollPolls));
    Print("poll_rtt_mbpoll", mbpoll, "ms");
    Print("poll_rate_mbpoll", RateOf(mbpoll), "polls/s");
    Print("poll_rtt_ours", std::nullopt, "ms");
    Print("poll_rate_ours", std::nullopt, "polls/s");
  }
  {
    // 39 characters of 11 bits at 9600 bit/s: about 44.7 ms on the wire.
    sim::Simulator simulator(Paced());
    Print("poll_rtt_paced_libmodbus",
          Summarise(PollWithLibmodbus(simulator.SlavePath(), kPacedPolls)), "ms");
    Print("poll_rtt_paced_ours", std::nullopt, "ms");
  }
  Print("unanswered_poll", std::nullopt, "ms");
  return 0;
}
