// Round trip of one poll (13 input registers) against the instrument
// simulator on a pseudo-terminal, for reference masters and for ours.
// Prints `name median p90 unit` lines; takes no arguments.
#include <chrono>

#include "pollers.h"
#include "sim/simulator.h"
#include "summary.h"

namespace {

constexpr int kInstantPolls = 1000;
constexpr int kRounds = 10;
constexpr int kMbpollPolls = 30;
constexpr int kPacedPolls = 60;
constexpr int kUnansweredPolls = 10;

void Append(std::vector<double>& to, const std::vector<double>& samples) {
  to.insert(to.end(), samples.begin(), samples.end());
}

sim::Config Paced() {
  sim::Config config;
  config.paced = true;
  return config;
}

}  // namespace

int main() {
  {
    // The two libraries alternate in rounds so that load from elsewhere on
    // the machine falls on both alike.
    sim::Simulator simulator;
    std::vector<double> libmodbus, ours;
    for (int round = 0; round < kRounds; ++round) {
      Append(libmodbus, PollWithLibmodbus(simulator.SlavePath(), kInstantPolls / kRounds));
      Append(ours, PollWithOurs(simulator.SlavePath(), kInstantPolls / kRounds, true));
    }
    const auto libmodbus_figure = Summarise(libmodbus);
    Print("poll_rtt_libmodbus", libmodbus_figure, "ms");
    Print("poll_rate_libmodbus", RateOf(libmodbus_figure), "polls/s");
    const auto ours_figure = Summarise(ours);
    Print("poll_rtt_ours", ours_figure, "ms");
    Print("poll_rate_ours", RateOf(ours_figure), "polls/s");
    const auto mbpoll = Summarise(PollWithMbpoll(simulator.SlavePath(), kMbpollPolls));
    Print("poll_rtt_mbpoll", mbpoll, "ms");
    Print("poll_rate_mbpoll", RateOf(mbpoll), "polls/s");
  }
  {
    // 39 characters of 11 bits at 9600 bit/s: about 44.7 ms on the wire.
    sim::Simulator simulator(Paced());
    Print("poll_rtt_paced_libmodbus",
          Summarise(PollWithLibmodbus(simulator.SlavePath(), kPacedPolls)), "ms");
    Print("poll_rtt_paced_ours", Summarise(PollWithOurs(simulator.SlavePath(), kPacedPolls, true)),
          "ms");
  }
  {
    sim::Config config;
    config.behaviour.kind = sim::BehaviourKind::kSilent;
    sim::Simulator simulator(config);
    Print("unanswered_poll",
          Summarise(PollWithOurs(simulator.SlavePath(), kUnansweredPolls, false)), "ms");
  }
  return 0;
}
