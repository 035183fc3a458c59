#pragma once

#include <string>
#include <vector>

// Each poller reads the 13 input registers from address 1 on `device`
// `count` times and returns the round trip of every successful poll in ms.
// An empty result means the master is unavailable or nothing succeeded.

std::vector<double> PollWithLibmodbus(const std::string& device, int count);

// Spawns `mbpoll` once per poll: the figure includes its start-up.
std::vector<double> PollWithMbpoll(const std::string& device, int count);

// Our own exchange: the window-side poll (POTOK_START) over the exchange
// worker and our serial port component, configured as the window does.
// `answered` selects which polls count: those whose reply was accepted, or,
// against a silent instrument, those that ended unanswered.
std::vector<double> PollWithOurs(const std::string& device, int count, bool answered);
