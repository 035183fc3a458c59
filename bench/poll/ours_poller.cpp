#include <chrono>

#include "comport/com_port.h"
#include "exchange/EMUL_Functions.h"
#include "exchange/comport_line.h"
#include "exchange/instrument_port.h"
#include "exchange/poll.h"
#include "exchange/quiet_view.h"
#include "pollers.h"
#include "process_cpu.h"

PollRun PollWithOurs(const std::string& device, int count, bool answered) {
  namespace ef = EMUL_Functions;
  PollRun run;
  comport::TComPort port;
  exchange::AssignInstrumentLineSettings(port);
  port.SetPort(device);
  port.SetConnected(true);
  exchange::ComPortLine operations(port);
  exchange::UART_THREAT& worker = exchange::UART_THREAT::Instance();
  worker.SetPort(&operations);
  exchange::QuietView view;
  const std::int32_t wanted = answered ? ef::RX_ACCEPTED : ef::RX_REJECTED;
  const double cpu_start = ProcessCpuMicroseconds();
  for (int i = 0; i < count; ++i) {
    // The read handler's request: address 1, function 4, 13 registers from 0.
    const std::uint8_t request[] = {1, 4, 0, 0, 0, 13};
    std::copy(std::begin(request), std::end(request), ef::TX_BUF.begin());
    ef::TX_LEN = 6;
    ef::RX_LEN = 31;
    const auto start = std::chrono::steady_clock::now();
    exchange::POTOK_START(view, worker);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (ef::RX_STATE.load() == wanted) run.round_trips.push_back(took.count());
  }
  if (count > 0) run.cpu_us_per_poll = (ProcessCpuMicroseconds() - cpu_start) / count;
  worker.SetPort(nullptr);
  port.SetConnected(false);
  return run;
}
