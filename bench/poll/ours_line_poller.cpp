#include <chrono>

#include "comport/com_port.h"
#include "exchange/EMUL_Functions.h"
#include "exchange/comport_line.h"
#include "exchange/instrument_port.h"
#include "exchange/poll.h"
#include "exchange/quiet_view.h"
#include "pollers.h"
#include "polling/shared_line.h"
#include "process_cpu.h"

PollRun PollWithOursOnTheLine(const std::string& device, int count) {
  namespace ef = EMUL_Functions;
  PollRun run;
  comport::TComPort port;
  exchange::AssignInstrumentLineSettings(port);
  port.SetPort(device);
  port.SetConnected(true);
  exchange::ComPortLine operations(port);
  polling::SharedLine line(polling::SharedLine::Rules{});
  line.Attach(&operations);
  exchange::UART_THREAT& worker = exchange::UART_THREAT::Instance();
  worker.SetPort(&line);
  exchange::QuietView view;
  const double cpu_start = ProcessCpuMicroseconds();
  for (int i = 0; i < count; ++i) {
    const std::uint8_t request[] = {1, 4, 0, 0, 0, 13};
    std::copy(std::begin(request), std::end(request), ef::TX_BUF.begin());
    ef::TX_LEN = 6;
    ef::RX_LEN = 31;
    const auto start = std::chrono::steady_clock::now();
    exchange::POTOK_START(view, worker);
    // The 3.5 quiet characters after the last reply that the line waits for before the request
    // are the line's own time, not the poll's: polls one after another spend them asleep.
    const std::chrono::duration<double, std::milli> took =
        std::chrono::steady_clock::now() - start - line.LastPoll().waited;
    if (ef::RX_STATE.load() == ef::RX_ACCEPTED) run.round_trips.push_back(took.count());
  }
  if (count > 0) run.cpu_us_per_poll = (ProcessCpuMicroseconds() - cpu_start) / count;
  worker.SetPort(nullptr);
  port.SetConnected(false);
  return run;
}
