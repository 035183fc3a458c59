// Soak: many polls through the reader's port, the exchange worker and the
// decoder against the simulator on an instant line, every tenth reply faulty
// in turn. Prints `name value unit` lines: polls per second, the count of each
// outcome, and the resident memory before the run, after a tenth of it and at
// its end; the last two must not differ.
//
// Usage: soak_bench [--polls N]   (N >= 10, default 10000)
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "reader/poll_session.h"
#include "reader/reader_port.h"
#include "resident_memory.h"
#include "sim/simulator.h"

namespace {

constexpr long kDefaultPolls = 10000;
constexpr long kMinimumPolls = 10;  // a tenth of the run must be a whole poll

// The poll count from the arguments, or nothing for unusable ones.
std::optional<long> PollCount(int argc, char** argv) {
  if (argc == 1) return kDefaultPolls;
  if (argc != 3 || std::string_view(argv[1]) != "--polls") return std::nullopt;
  char* end = nullptr;
  const long polls = std::strtol(argv[2], &end, 10);
  if (end == argv[2] || *end != '\0' || polls < kMinimumPolls) return std::nullopt;
  return polls;
}

constexpr std::array kOutcomes = {reader::PollOutcome::kAccepted, reader::PollOutcome::kException,
                                  reader::PollOutcome::kUnanswered,
                                  reader::PollOutcome::kPortError};
// The counts are indexed by the outcome's value.
static_assert([] {
  for (std::size_t i = 0; i < kOutcomes.size(); ++i) {
    if (static_cast<std::size_t>(kOutcomes[i]) != i) return false;
  }
  return true;
}());

void PrintResident(long at_poll, std::int64_t kilobytes) {
  std::printf("soak_rss_at_%ld %lld kB\n", at_poll, static_cast<long long>(kilobytes));
}

int Run(long polls) {
  sim::Config config;
  config.fault_every = 10;
  sim::Simulator simulator(config);
  exchange::UART_THREAT& worker = exchange::UART_THREAT::Instance();
  reader::ReaderPort port(worker, simulator.SlavePath());
  reader::PollSession session(worker, ",");

  std::array<long, kOutcomes.size()> counts{};
  const long checkpoint = polls / 10;
  // Read once before the run too, so the probe's own first use is not counted as growth.
  const std::int64_t rss_at_start = soak::ResidentKilobytes().value_or(0);
  std::int64_t rss_at_checkpoint = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long poll = 1; poll <= polls; ++poll) {
    const reader::PollOutcome outcome = session.Poll(1).outcome;
    ++counts[static_cast<std::size_t>(outcome)];
    if (poll == checkpoint) rss_at_checkpoint = soak::ResidentKilobytes().value_or(0);
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  const std::int64_t rss_at_end = soak::ResidentKilobytes().value_or(0);

  std::printf("soak_polls %ld polls\n", polls);
  std::printf("soak_polls_per_second %.1f 1/s\n", static_cast<double>(polls) / elapsed.count());
  for (const reader::PollOutcome outcome : kOutcomes) {
    std::printf("soak_outcome_%s %ld polls\n", std::string(reader::OutcomeName(outcome)).c_str(),
                counts[static_cast<std::size_t>(outcome)]);
  }
  if (rss_at_start == 0 || rss_at_checkpoint == 0 || rss_at_end == 0) {
    std::fprintf(stderr, "soak_bench: VmRSS not readable from /proc/self/status\n");
    return 1;
  }
  PrintResident(0, rss_at_start);
  PrintResident(checkpoint, rss_at_checkpoint);
  PrintResident(polls, rss_at_end);
  std::printf("soak_rss_growth %.2f %%\n", 100.0 *
                                               static_cast<double>(rss_at_end - rss_at_checkpoint) /
                                               static_cast<double>(rss_at_checkpoint));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<long> polls = PollCount(argc, argv);
  if (!polls) {
    std::fprintf(stderr, "usage: soak_bench [--polls N]   (N >= %ld, default %ld)\n", kMinimumPolls,
                 kDefaultPolls);
    return 2;
  }
  try {
    return Run(*polls);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "soak_bench: %s\n", error.what());
    return 1;
  }
}
