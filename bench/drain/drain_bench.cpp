// How often a write that waits for its bytes to leave looks at the output
// queue (TIOCOUTQ), and how long after the queue emptied it notices, for a
// 4 KiB write at 9600 8E1. A pseudo-terminal has no output queue, so the line
// is modelled: the kernel holds the whole write at first and sends one
// character per character time; each look wakes a timer slack late. The looks
// follow the device's own schedule, beside a fixed 1 ms period for
// comparison. Prints `name value value unit` lines; takes no arguments.
#include <chrono>
#include <cstdio>
#include <functional>

#include "platform/comm_api.h"
#include "posix/read_timing.h"

namespace {

using Duration = platform::Deadline::Clock::duration;
using std::chrono::duration_cast;
using std::chrono::nanoseconds;

constexpr platform::DWORD kWriteBytes = 4096;
// Linux's default timer slack for a normal thread.
constexpr auto kTimerSlack = std::chrono::microseconds(50);

struct Outcome {
  int looks = 0;
  double late_ms = 0;  // from the queue's emptying to the look that saw it
};

// Looks at the modelled queue when `next` says, from the write's first look
// right after the kernel took its bytes, until one finds it empty.
Outcome Drain(const platform::DCB& dcb, const std::function<Duration(platform::DWORD)>& next) {
  const auto all_sent = platform::posix::DrainTime(dcb, kWriteBytes);
  const double character_ns =
      static_cast<double>(duration_cast<nanoseconds>(all_sent).count()) / kWriteBytes;
  Outcome outcome;
  for (Duration now = Duration::zero();;) {
    ++outcome.looks;
    const auto sent = static_cast<platform::DWORD>(
        static_cast<double>(duration_cast<nanoseconds>(now).count()) / character_ns);
    if (sent >= kWriteBytes) {
      outcome.late_ms = std::chrono::duration<double, std::milli>(now - all_sent).count();
      return outcome;
    }
    now += next(kWriteBytes - sent) + kTimerSlack;
  }
}

void Print(const char* name, double value, const char* unit) {
  std::printf("%s %.3f %.3f %s\n", name, value, value, unit);
}

}  // namespace

int main() {
  platform::DCB dcb{};
  dcb.BaudRate = 9600;
  dcb.ByteSize = 8;
  dcb.Parity = platform::EVENPARITY;
  dcb.StopBits = platform::ONESTOPBIT;
  const Outcome ours = Drain(
      dcb, [&dcb](platform::DWORD unsent) { return platform::posix::NextDrainLook(dcb, unsent); });
  const Outcome every_ms = Drain(dcb, [](platform::DWORD) { return std::chrono::milliseconds(1); });
  Print("drain_looks_4k_9600_8E1_ours", ours.looks, "looks");
  Print("drain_late_4k_9600_8E1_ours", ours.late_ms, "ms");
  Print("drain_looks_4k_9600_8E1_every_1ms", every_ms.looks, "looks");
  Print("drain_late_4k_9600_8E1_every_1ms", every_ms.late_ms, "ms");
  return 0;
}
