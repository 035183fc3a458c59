// The bus scan and a cycle over several instruments, on the in-process line paced at 9600 bit/s:
//   scan_silent_bus  the whole range on a silent line at the read time-out (about 48 s; only
//                    when named, as it is long)
//   scan_fast_bus    the whole range with a first-byte time-out of 20 ms, one instrument with
//                    a 15 ms turnaround among silent addresses (which must be found)
//   cycle_paced_10   one cycle over ten instruments, ten cycles
// Usage: scan_bench [NAME...] (default: scan_fast_bus cycle_paced_10). Prints
// `name median max unit` lines, and a FAIL line when a figure is past its bound.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <vector>

#include "exchange/UART_THREAT.h"
#include "polling/poll_instrument.h"
#include "scan/bus_scan.h"
#include "simline/instrument_line.h"

namespace {

using Clock = std::chrono::steady_clock;
using exchange::UART_THREAT;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

bool Report(const char* name, std::vector<double> values, const char* unit, double bound) {
  std::sort(values.begin(), values.end());
  const double median = values[values.size() / 2];
  const double max = values.back();
  std::printf("%s %.3f %.3f %s\n", name, median, max, unit);
  if (max <= bound) return true;
  std::printf("FAIL %s: %.3f %s, bound %.3f\n", name, max, unit, bound);
  return false;
}

// Times one scan of 1..247 on `line`; false when the instrument at `expect` (0: none) was not
// found.
bool TimedScan(simline::InstrumentLine& line, std::chrono::milliseconds first_byte_timeout,
               int expect, double& seconds) {
  UART_THREAT& worker = UART_THREAT::Instance();
  worker.SetPort(&line);
  const std::atomic<bool> cancel{false};
  const auto start = Clock::now();
  const scan::ScanResult result =
      scan::ScanBus(worker, line, {1, 247, first_byte_timeout}, cancel, {});
  seconds = Seconds(Clock::now() - start);
  worker.SetPort(nullptr);
  if (expect == 0) return true;
  return std::any_of(result.probes.begin(), result.probes.end(), [&](const scan::Probe& probe) {
    return probe.address == expect && probe.finding == scan::Finding::kReadings;
  });
}

bool ScanSilentBus() {
  sim::Config config;
  config.paced = true;
  config.behaviour.kind = sim::BehaviourKind::kSilent;
  simline::InstrumentLine line(config);
  double seconds = 0;
  TimedScan(line, std::chrono::milliseconds(186), 0, seconds);
  return Report("scan_silent_bus", {seconds}, "s", 50.0);
}

bool ScanFastBus() {
  sim::Config config;
  config.address = 100;
  config.paced = true;
  config.reply_delay = std::chrono::milliseconds(15);
  simline::InstrumentLine line(config);
  double seconds = 0;
  const bool found = TimedScan(line, std::chrono::milliseconds(20), 100, seconds);
  if (!found) std::printf("FAIL scan_fast_bus: the instrument at 100 was not found\n");
  return Report("scan_fast_bus", {seconds}, "s", 8.0) && found;
}

bool CyclePaced10() {
  sim::Config config;
  config.paced = true;
  for (int address = 2; address <= 10; ++address) {
    config.neighbours.push_back({static_cast<std::uint8_t>(address), {}});
  }
  simline::InstrumentLine line(config);
  UART_THREAT& worker = UART_THREAT::Instance();
  worker.SetPort(&line);
  struct : exchange::PollView {
    void ClearPollTexts() override {}
    void ProcessMessages() override {}
    void ShowSentFrame(const std::string&) override {}
    void ArmReplyTimeout() override {}
    void ShowErrorBox(const std::string&) override {}
  } view;
  std::vector<instrument::DecodedFields> kept(10);
  std::vector<double> cycles;
  bool all_read = true;
  for (int cycle = 0; cycle < 10; ++cycle) {
    const auto start = Clock::now();
    for (int i = 0; i < 10; ++i) {
      const auto result = polling::PollInstrument(static_cast<std::uint8_t>(i + 1), view, worker,
                                                  kept[static_cast<std::size_t>(i)]);
      all_read = all_read && result.outcome == polling::PollOutcome::kAccepted;
    }
    cycles.push_back(Seconds(Clock::now() - start) * 1000.0);
  }
  worker.SetPort(nullptr);
  if (!all_read) std::printf("FAIL cycle_paced_10: a poll got no readings\n");
  // A paced exchange: 8 request bytes and 31 reply bytes at 11 bits, 44.7 ms, plus 1 ms.
  return Report("cycle_paced_10", cycles, "ms", 10 * (44.7 + 1.0)) && all_read;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> names(argv + 1, argv + argc);
  if (names.empty()) names = {"scan_fast_bus", "cycle_paced_10"};
  bool ok = true;
  for (const std::string_view name : names) {
    if (name == "scan_silent_bus") {
      ok = ScanSilentBus() && ok;
    } else if (name == "scan_fast_bus") {
      ok = ScanFastBus() && ok;
    } else if (name == "cycle_paced_10") {
      ok = CyclePaced10() && ok;
    } else {
      std::fprintf(stderr, "scan_bench: unknown benchmark %.*s\n", static_cast<int>(name.size()),
                   name.data());
      return 2;
    }
  }
  return ok ? 0 : 1;
}
