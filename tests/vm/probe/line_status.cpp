#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdint>
#include <iostream>
#include <thread>

#include "comport/com_port.h"
#include "exchange/instrument_port.h"
#include "instrument/read_request.h"
#include "platform/comm_api.h"
#include "probe.h"
#include "protocol/frames.h"

namespace vm_probe {
namespace {

// The modem-status bits that the kernel's own lines give, in GetCommModemStatus's terms.
// Read through a second descriptor: root passes the port's TIOCEXCL, and a plain open takes
// no lock.
long KernelModemStatus(const std::string& device) {
  const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  int lines = 0;
  const bool ok = ioctl(fd, TIOCMGET, &lines) == 0;
  close(fd);
  if (!ok) return -1;
  return ((lines & TIOCM_CTS) != 0 ? platform::MS_CTS_ON : 0) |
         ((lines & TIOCM_DSR) != 0 ? platform::MS_DSR_ON : 0) |
         ((lines & TIOCM_RNG) != 0 ? platform::MS_RING_ON : 0) |
         ((lines & TIOCM_CD) != 0 ? platform::MS_RLSD_ON : 0);
}

// Far beyond a 31-byte reply at 9600 bit/s (about 45 ms with the request).
constexpr std::chrono::seconds kReplyPatience{2};

}  // namespace

int RunStatus(const std::string& device) {
  comport::TComPort port;
  exchange::AssignInstrumentLineSettings(port);
  port.SetPort(device);
  port.SetConnected(true);
  platform::CommApi& comm = platform::Comm();
  const platform::HANDLE handle = port.DeviceHandle();

  platform::DWORD modem = 0;
  const bool modem_ok = comm.GetCommModemStatus(handle, &modem) != 0;
  const long kernel_modem = KernelModemStatus(device);

  // A request the instrument answers; its reply stays unread in the input queue.
  protocol::FrameBuffer request{};
  const protocol::ReadRequest lengths = instrument::FillReadRequest(request, 1);
  protocol::AppendCrc(request, lengths.tx_len);
  port.SendBytes(request.data(), lengths.tx_len + 2);
  platform::DWORD errors = 0;
  platform::COMSTAT stat{};
  bool clear_ok = true;
  const Clock::time_point deadline = Clock::now() + kReplyPatience;
  do {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    clear_ok = comm.ClearCommError(handle, &errors, &stat) != 0;
  } while (clear_ok && stat.cbInQue < static_cast<platform::DWORD>(lengths.rx_len) &&
           Clock::now() < deadline);

  std::cout << "modem_ok=" << modem_ok << " modem=" << modem << " kernel_modem=" << kernel_modem
            << " clear_ok=" << clear_ok << " errors=" << errors << " in_queue=" << stat.cbInQue
            << " out_queue=" << stat.cbOutQue << std::endl;
  return 0;
}

}  // namespace vm_probe
