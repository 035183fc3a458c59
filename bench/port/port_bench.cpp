// Port timing on a pseudo-terminal: prints `name median max unit` per figure.
//   read_timeout     31-byte read in silence with the main window's time-outs
//   read_completion  last byte written at the other end -> ReceiveBytes returns
//   wait_cpu         CPU of the whole process (backend included) while one
//                    thread is blocked in a 2-second read, in % of one core
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

#include "comport/com_port.h"
#include "exchange/exchange_timing.h"
#include "support/pseudo_terminal.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double ProcessCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void Print(const char* name, std::vector<double> samples, const char* unit) {
  std::sort(samples.begin(), samples.end());
  std::printf("%s %.3f %.3f %s\n", name, samples[samples.size() / 2], samples.back(), unit);
  std::fflush(stdout);
}

// The main window's port settings on the pseudo-terminal's slave.
void Configure(comport::TComPort& port, const std::string& path) {
  port.SetEvents({});
  port.Parity().SetBits(comport::prEven);
  port.Timeouts().SetReadTotalMultiplier(exchange::READ_TIMEOUT_MS_PER_BYTE);
  port.Timeouts().SetWriteTotalMultiplier(exchange::WRITE_TIMEOUT_MS_PER_BYTE);
  port.SetPort(path);
  port.SetConnected(true);
}

std::vector<double> ReadTimeout(comport::TComPort& port) {
  std::vector<double> samples;
  std::uint8_t buffer[31];
  for (int run = 0; run < 50; ++run) {
    const auto start = Clock::now();
    port.ReceiveBytes(buffer, 31);
    samples.push_back(Ms(Clock::now() - start));
  }
  return samples;
}

std::vector<double> ReadCompletion(comport::TComPort& port, vlk_test::PseudoTerminal& pty) {
  std::vector<double> samples;
  const std::vector<std::uint8_t> reply(31, 0x55);
  for (int run = 0; run < 50; ++run) {
    Clock::time_point returned;
    std::thread reader([&] {
      std::uint8_t buffer[31];
      port.ReceiveBytes(buffer, 31);
      returned = Clock::now();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pty.Write(reply);
    const auto written = Clock::now();
    reader.join();
    samples.push_back(Ms(returned - written));
  }
  return samples;
}

std::vector<double> WaitCpu(comport::TComPort& port) {
  port.Timeouts().SetReadTotalMultiplier(0);
  port.Timeouts().SetReadTotalConstant(2000);
  std::vector<double> samples;
  for (int run = 0; run < 3; ++run) {
    std::uint8_t buffer[31];
    const auto start = Clock::now();
    const double cpu_start = ProcessCpuMs();
    port.ReceiveBytes(buffer, 31);
    const double cpu = ProcessCpuMs() - cpu_start;
    samples.push_back(100.0 * cpu / Ms(Clock::now() - start));
  }
  return samples;
}

}  // namespace

int main() {
  try {
    vlk_test::PseudoTerminal pty;
    comport::TComPort port;
    Configure(port, pty.SlavePath());
    Print("read_timeout", ReadTimeout(port), "ms");
    Print("read_completion", ReadCompletion(port, pty), "ms");
    Print("wait_cpu", WaitCpu(port), "%core");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "port_bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
