#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <thread>

#include "comport/com_port.h"
#include "exchange/instrument_port.h"
#include "instrument/read_request.h"
#include "probe.h"
#include "protocol/frames.h"

namespace vm_probe {
namespace {

// QEMU's 16550 sends a byte the moment the driver hands it over, so a write has no transmit
// time of its own there. The test gives it one: output is suspended (tcflow TCOOFF) while
// the write starts and resumed after kHold, longer than the 9.2 ms that 8 bytes take at
// 9600 bit/s. A write that completes when the kernel took the bytes ends long before.
constexpr std::chrono::milliseconds kHold{50};
// Samples, so that one write delayed by the machine cannot hide one that completes early.
constexpr int kWrites = 3;
// The silent instrument: no reply follows the writes.
constexpr std::uint8_t kSilentAddress = 3;
constexpr std::chrono::seconds kIdlePatience{1};

// True while bytes wait in the driver's output buffer or in the UART. TIOCSERGETLSR alone
// does not tell: it reports an empty transmitter while output is suspended.
bool Sending(int fd) {
  int queued = 0;
  if (ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) return true;
  unsigned int lsr = 0;
  return ioctl(fd, TIOCSERGETLSR, &lsr) == 0 && (lsr & TIOCSER_TEMT) == 0;
}

}  // namespace

int RunWrite(const std::string& device) {
  comport::TComPort port;
  exchange::AssignInstrumentLineSettings(port);
  port.SetPort(device);
  port.SetConnected(true);
  // A second descriptor holds and watches the output: root passes the port's TIOCEXCL.
  const int watcher = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (watcher < 0) {
    std::cout << "error=\"cannot open a second descriptor\"" << std::endl;
    return 1;
  }

  protocol::FrameBuffer request{};
  const protocol::ReadRequest lengths = instrument::FillReadRequest(request, kSilentAddress);
  protocol::AppendCrc(request, lengths.tx_len);
  int early = 0;
  Clock::duration shortest = Clock::duration::max();
  Clock::duration longest = Clock::duration::zero();
  for (int i = 0; i < kWrites; ++i) {
    const Clock::time_point idle_deadline = Clock::now() + kIdlePatience;
    while (Sending(watcher) && Clock::now() < idle_deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    tcflow(watcher, TCOOFF);
    const Clock::time_point start = Clock::now();
    std::thread release([&] {
      std::this_thread::sleep_until(start + kHold);
      tcflow(watcher, TCOON);
    });
    port.SendBytes(request.data(), lengths.tx_len + 2);
    const Clock::time_point end = Clock::now();
    if (Sending(watcher)) ++early;
    release.join();
    shortest = std::min(shortest, end - start);
    longest = std::max(longest, end - start);
  }
  close(watcher);
  std::cout << "writes=" << kWrites << " hold_ms=" << kHold.count() << " early=" << early
            << " min_ms=" << Milliseconds(shortest) << " max_ms=" << Milliseconds(longest)
            << std::endl;
  return 0;
}

}  // namespace vm_probe
