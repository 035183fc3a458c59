#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// Each poller reads the 13 input registers from address 1 on `device`
// `count` times.
struct PollRun {
  // Round trip of every successful poll in ms; empty when the master is
  // unavailable or nothing succeeded.
  std::vector<double> round_trips;
  // CPU time of the whole process (the simulator's thread included) over the
  // polling loop, per poll in microseconds; none when not measured.
  std::optional<double> cpu_us_per_poll;
};

// `gap`: a pause before each poll, outside its round trip, as a master that keeps frames 3.5
// characters apart makes between polls; none for polls one right after another.
PollRun PollWithLibmodbus(const std::string& device, int count,
                          std::chrono::microseconds gap = std::chrono::microseconds::zero());

// Spawns `mbpoll` once per poll: the figure includes its start-up. Its CPU is
// another process's and is not measured.
PollRun PollWithMbpoll(const std::string& device, int count);

// Our own exchange: the window-side poll (POTOK_START) over the exchange
// worker and our serial port component, configured as the window does.
// `answered` selects which polls count: those whose reply was accepted, or,
// against a silent instrument, those that ended unanswered.
PollRun PollWithOurs(const std::string& device, int count, bool answered);

// Ours as the reader polls a shared line: the same port behind the shared line's rules
// (polling/shared_line.h); the round trip without the wait for a quiet line before the request.
PollRun PollWithOursOnTheLine(const std::string& device, int count);
