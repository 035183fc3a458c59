#include <chrono>
#include <functional>

#include "comport/com_port.h"
#include "exchange/EMUL_Functions.h"
#include "exchange/comport_line.h"
#include "exchange/instrument_port.h"
#include "exchange/poll.h"
#include "exchange/quiet_view.h"
#include "pollers.h"
#include "polling/shared_line.h"
#include "process_cpu.h"

namespace {

using Clock = std::chrono::steady_clock;

// `count` polls of address 1 through the worker on `line`, our port on `device` beneath it as
// the window sets it up (`line` null: the port itself). A poll's round trip leaves out what
// `line_time` says the line spent of it before the request; only polls that end in `wanted`
// count.
PollRun TimedPolls(const std::string& device, int count, std::int32_t wanted,
                   polling::SharedLine* line, const std::function<Clock::duration()>& line_time) {
  namespace ef = EMUL_Functions;
  PollRun run;
  comport::TComPort port;
  exchange::AssignInstrumentLineSettings(port);
  port.SetPort(device);
  port.SetConnected(true);
  exchange::ComPortLine operations(port);
  exchange::UART_THREAT& worker = exchange::UART_THREAT::Instance();
  if (line != nullptr) line->Attach(&operations);
  worker.SetPort(line != nullptr ? static_cast<exchange::ExchangePort*>(line) : &operations);
  exchange::QuietView view;
  const double cpu_start = ProcessCpuMicroseconds();
  for (int i = 0; i < count; ++i) {
    // The read handler's request: address 1, function 4, 13 registers from 0.
    const std::uint8_t request[] = {1, 4, 0, 0, 0, 13};
    std::copy(std::begin(request), std::end(request), ef::TX_BUF.begin());
    ef::TX_LEN = 6;
    ef::RX_LEN = 31;
    const auto start = Clock::now();
    exchange::POTOK_START(view, worker);
    const std::chrono::duration<double, std::milli> took = Clock::now() - start - line_time();
    if (ef::RX_STATE.load() == wanted) run.round_trips.push_back(took.count());
  }
  if (count > 0) run.cpu_us_per_poll = (ProcessCpuMicroseconds() - cpu_start) / count;
  worker.SetPort(nullptr);
  if (line != nullptr) line->Attach(nullptr);
  port.SetConnected(false);
  return run;
}

}  // namespace

PollRun PollWithOurs(const std::string& device, int count, bool answered) {
  namespace ef = EMUL_Functions;
  return TimedPolls(device, count, answered ? ef::RX_ACCEPTED : ef::RX_REJECTED, nullptr,
                    [] { return Clock::duration::zero(); });
}

PollRun PollWithOursOnTheLine(const std::string& device, int count) {
  polling::SharedLine line(polling::SharedLine::Rules{});
  // The 3.5 quiet characters after the last reply that the line waits for before the request
  // are the line's own time, not the poll's: polls one after another spend them asleep.
  return TimedPolls(device, count, EMUL_Functions::RX_ACCEPTED, &line,
                    [&line] { return line.LastPoll().waited; });
}
