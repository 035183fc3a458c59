// The bus scan on the in-process line and the reader's cycle over several instruments on the
// simulator, both paced at 9600 bit/s:
//   scan_silent_bus  the whole range on a silent line at the read time-out (about 48 s; only
//                    when named, as it is long)
//   scan_fast_bus    the whole range with a first-byte time-out of 20 ms, one instrument with
//                    a 15 ms turnaround among silent addresses (which must be found)
//   cycle_paced_10   one cycle of the reader over ten instruments, ten cycles
// Usage: scan_bench [NAME...] (default: scan_fast_bus cycle_paced_10). Prints
// `name median max unit` lines, and a FAIL line when a median is past its bound.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/UART_THREAT.h"
#include "reader/run_reader.h"
#include "scan/bus_scan.h"
#include "sim/simulator.h"
#include "simline/instrument_line.h"

namespace {

using Clock = std::chrono::steady_clock;
using exchange::UART_THREAT;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

// Prints the figures; the median is held to `bound`, since a loaded machine stretches the odd
// run whatever the program does.
bool Report(const char* name, std::vector<double> values, const char* unit, double bound) {
  std::sort(values.begin(), values.end());
  const double median = values[values.size() / 2];
  const double max = values.back();
  std::printf("%s %.3f %.3f %s\n", name, median, max, unit);
  if (median <= bound) return true;
  std::printf("FAIL %s: %.3f %s, bound %.3f\n", name, median, unit, bound);
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

// The reader's own cycle over ten instruments on the simulator's pseudo-terminal, paced: each
// cycle starts at once after the last (an interval far shorter than a cycle), so the time from
// one poll of address 1 to the next is one cycle.
bool CyclePaced10() {
  sim::Config config;
  config.paced = true;
  for (int address = 2; address <= 10; ++address) {
    config.neighbours.push_back({static_cast<std::uint8_t>(address), {}});
  }
  sim::Simulator simulator(config);
  const std::vector<std::string> args = {
      "--port", simulator.SlavePath(), "--address", "1-10",  "--cycle", "--count",
      "11",     "--interval",          "0.001",     "--json"};
  const std::vector<std::string_view> views(args.begin(), args.end());
  std::ostringstream out;
  std::ostringstream err;
  const int status = reader::RunReader(views, out, err);
  if (status != reader::kExitOk) std::printf("FAIL cycle_paced_10: a poll got no readings\n");

  // "2024-05-17T08:30:05.125Z": seconds within the hour are enough for cycles of a second.
  const std::regex first(R"(^\{"time":"[^"]*T\d\d:(\d\d):(\d\d\.\d{3})Z","address":1,)");
  std::vector<double> starts;
  std::istringstream records(out.str());
  for (std::string line; std::getline(records, line);) {
    std::smatch match;
    if (std::regex_search(line, match, first)) {
      starts.push_back(std::stod(match[1]) * 60.0 + std::stod(match[2]));
    }
  }
  std::vector<double> cycles;
  for (std::size_t i = 1; i < starts.size(); ++i) {
    double seconds = starts[i] - starts[i - 1];
    if (seconds < 0) seconds += 3600.0;  // across an hour
    cycles.push_back(seconds * 1000.0);
  }
  if (cycles.empty()) {
    std::printf("FAIL cycle_paced_10: no cycle measured\n");
    return false;
  }
  // The line's own time, 8 request bytes and 31 reply bytes at 11 bits (44.7 ms) ten times, and
  // the 3.5 characters of quiet (4 ms) before each request.
  return Report("cycle_paced_10", cycles, "ms", 500.0) && status == reader::kExitOk;
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
