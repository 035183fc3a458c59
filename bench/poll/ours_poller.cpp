#include <chrono>

#include "comport/com_port.h"
#include "exchange/EMUL_Functions.h"
#include "exchange/exchange_port.h"
#include "exchange/poll.h"
#include "pollers.h"

namespace {

// The window's side of a poll without a window: nothing to show.
class NoView : public exchange::PollView {
 public:
  void ClearPollTexts() override {}
  void ProcessMessages() override {}
  void ShowSentFrame(const std::string&) override {}
  void ArmReplyTimeout() override {}
  void ShowErrorBox(const std::string&) override {}
};

// The five port operations of an exchange, passed straight to the TComPort.
class PortOperations : public exchange::ExchangePort {
 public:
  explicit PortOperations(comport::TComPort& port) : port_(port) {}
  bool Connected() const override { return port_.Connected(); }
  void SetParityEven() override { port_.Parity().SetBits(comport::prEven); }
  std::int32_t SendBytes(const std::uint8_t* buffer, std::int32_t count) override {
    return port_.SendBytes(buffer, count);
  }
  std::int32_t ReceiveBytes(std::uint8_t* buffer, std::int32_t count) override {
    return port_.ReceiveBytes(buffer, count);
  }
  void PurgeBuffers(bool input, bool output) override { port_.PurgeBuffers(input, output); }

 private:
  comport::TComPort& port_;
};

// The operator window's fixed line settings: 9600 8E1, no flow control,
// a read time-out of 6 ms per requested byte.
void ConfigureAsTheWindowDoes(comport::TComPort& port, const std::string& device) {
  port.BeginLoading();
  port.SetBaudRate(comport::br9600);
  port.SetPort(device);
  port.Parity().SetBits(comport::prEven);
  port.SetStopBits(comport::sbOneStopBit);
  port.SetDataBits(comport::dbEight);
  port.SetEvents({});
  comport::TComFlowControl& flow = port.FlowControl();
  flow.SetOutCTSFlow(false);
  flow.SetOutDSRFlow(false);
  flow.SetControlDTR(comport::dtrDisable);
  flow.SetControlRTS(comport::rtsDisable);
  flow.SetXonXoffOut(false);
  flow.SetXonXoffIn(false);
  port.Timeouts().SetReadTotalMultiplier(6);
  port.Timeouts().SetWriteTotalMultiplier(150);
  port.EndLoading();
}

}  // namespace

std::vector<double> PollWithOurs(const std::string& device, int count, bool answered) {
  namespace ef = EMUL_Functions;
  std::vector<double> round_trips;
  comport::TComPort port;
  ConfigureAsTheWindowDoes(port, device);
  port.SetConnected(true);
  PortOperations operations(port);
  exchange::UART_THREAT& worker = exchange::UART_THREAT::Instance();
  worker.SetPort(&operations);
  NoView view;
  const std::int32_t wanted = answered ? ef::RX_ACCEPTED : ef::RX_REJECTED;
  for (int i = 0; i < count; ++i) {
    // The read handler's request: address 1, function 4, 13 registers from 0.
    const std::uint8_t request[] = {1, 4, 0, 0, 0, 13};
    std::copy(std::begin(request), std::end(request), ef::TX_BUF.begin());
    ef::TX_LEN = 6;
    ef::RX_LEN = 31;
    const auto start = std::chrono::steady_clock::now();
    exchange::POTOK_START(view, worker);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (ef::RX_STATE.load() == wanted) round_trips.push_back(took.count());
  }
  worker.SetPort(nullptr);
  port.SetConnected(false);
  return round_trips;
}
