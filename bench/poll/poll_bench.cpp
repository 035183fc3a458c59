// Round trip of one poll (13 input registers) against the instrument
// simulator on a pseudo-terminal, for reference masters and for ours, and the
// CPU time each poll costs the process. Prints `name median p90 unit` lines;
// takes no arguments.
#include <chrono>

#include "exchange/exchange_timing.h"
#include "pollers.h"
#include "sim/simulator.h"
#include "summary.h"

namespace {

constexpr int kInstantPolls = 1000;
constexpr int kRounds = 10;
constexpr int kMbpollPolls = 30;
constexpr int kPacedPolls = 60;
constexpr int kUnansweredPolls = 10;

// Round trips and per-round CPU figures of one master, gathered over rounds.
struct Samples {
  std::vector<double> round_trips;
  std::vector<double> cpu_us_per_poll;

  void Add(const PollRun& run) {
    round_trips.insert(round_trips.end(), run.round_trips.begin(), run.round_trips.end());
    if (run.cpu_us_per_poll) cpu_us_per_poll.push_back(*run.cpu_us_per_poll);
  }
};

// Prints the round trip, the rate and the CPU per poll of `master`.
void PrintMaster(const std::string& suffix, const Samples& master) {
  const auto round_trip = Summarise(master.round_trips);
  Print("poll_rtt_" + suffix, round_trip, "ms");
  Print("poll_rate_" + suffix, RateOf(round_trip), "polls/s");
  Print("poll_cpu_" + suffix, Summarise(master.cpu_us_per_poll), "us/poll");
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
    // The shared line's polls come 3.5 characters after the last reply; libmodbus is given the
    // same pause for the like-for-like figure.
    const auto gap = std::chrono::duration_cast<std::chrono::microseconds>(exchange::FRAME_GAP);
    sim::Simulator simulator;
    Samples libmodbus, ours, libmodbus_gap, ours_line;
    for (int round = 0; round < kRounds; ++round) {
      libmodbus.Add(PollWithLibmodbus(simulator.SlavePath(), kInstantPolls / kRounds));
      ours.Add(PollWithOurs(simulator.SlavePath(), kInstantPolls / kRounds, true));
      libmodbus_gap.Add(PollWithLibmodbus(simulator.SlavePath(), kInstantPolls / kRounds, gap));
      ours_line.Add(PollWithOursOnTheLine(simulator.SlavePath(), kInstantPolls / kRounds));
    }
    PrintMaster("libmodbus", libmodbus);
    PrintMaster("ours", ours);
    PrintMaster("libmodbus_gap", libmodbus_gap);
    PrintMaster("ours_line", ours_line);
    const auto mbpoll = Summarise(PollWithMbpoll(simulator.SlavePath(), kMbpollPolls).round_trips);
    Print("poll_rtt_mbpoll", mbpoll, "ms");
    Print("poll_rate_mbpoll", RateOf(mbpoll), "polls/s");
  }
  {
    // 39 characters of 11 bits at 9600 bit/s: about 44.7 ms on the wire.
    sim::Simulator simulator(Paced());
    Samples libmodbus, ours;
    libmodbus.Add(PollWithLibmodbus(simulator.SlavePath(), kPacedPolls));
    ours.Add(PollWithOurs(simulator.SlavePath(), kPacedPolls, true));
    Print("poll_rtt_paced_libmodbus", Summarise(libmodbus.round_trips), "ms");
    Print("poll_cpu_paced_libmodbus", Summarise(libmodbus.cpu_us_per_poll), "us/poll");
    Print("poll_rtt_paced_ours", Summarise(ours.round_trips), "ms");
    Print("poll_cpu_paced_ours", Summarise(ours.cpu_us_per_poll), "us/poll");
  }
  {
    sim::Config config;
    config.behaviour.kind = sim::BehaviourKind::kSilent;
    sim::Simulator simulator(config);
    Print("unanswered_poll",
          Summarise(PollWithOurs(simulator.SlavePath(), kUnansweredPolls, false).round_trips),
          "ms");
  }
  return 0;
}
