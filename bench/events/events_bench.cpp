// Latency from a byte written at the other end of a pseudo-terminal to
// OnRxChar running, under each SyncMethod, with the plain toolkit's main loop
// on the main thread. Prints `name median p90 unit` lines.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

#include "comport/com_port.h"
#include "runtime/main_thread.h"
#include "support/pseudo_terminal.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 200;

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

void Measure(const char* name, comport::TSyncMethod sync_method) {
  vlk_test::PseudoTerminal pty;
  comport::TComPort port;
  port.SetPort(pty.SlavePath());
  port.SetEvents({comport::evRxChar});
  port.SetSyncMethod(sync_method);
  std::atomic<std::int64_t> arrived_ns{0};
  port.OnRxChar = [&](comport::TCustomComPort& sender, std::int32_t count) {
    arrived_ns.store(Clock::now().time_since_epoch().count(), std::memory_order_release);
    std::uint8_t sink[64];
    sender.ReceiveBytes(sink, std::min<std::int32_t>(count, sizeof sink));
  };
  port.SetConnected(true);
  std::vector<double> latencies;
  for (int round = 0; round < kRounds; ++round) {
    arrived_ns.store(0, std::memory_order_release);
    const auto sent = Clock::now();
    pty.Write({0x55});
    const auto deadline = sent + std::chrono::seconds(2);
    while (arrived_ns.load(std::memory_order_acquire) == 0 && Clock::now() < deadline) {
      runtime::ProcessThreadCalls(std::chrono::milliseconds(1));
    }
    const std::int64_t arrived = arrived_ns.load(std::memory_order_acquire);
    if (arrived == 0) continue;  // lost rounds show as fewer samples, not as figures
    latencies.push_back(static_cast<double>(arrived - sent.time_since_epoch().count()) / 1e6);
    runtime::ProcessThreadCalls(std::chrono::milliseconds(2));  // let the line settle
  }
  port.SetConnected(false);
  if (latencies.empty()) {
    std::printf("%s nan nan ms\n", name);
    return;
  }
  std::printf("%s %.3f %.3f ms\n", name, Percentile(latencies, 0.5), Percentile(latencies, 0.9));
}

}  // namespace

int main() {
  Measure("rxchar_latency_threadsync", comport::smThreadSync);
  Measure("rxchar_latency_windowsync", comport::smWindowSync);
  Measure("rxchar_latency_none", comport::smNone);
  return 0;
}
