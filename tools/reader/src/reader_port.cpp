#include "reader/reader_port.h"

#include "comport/com_port.h"
#include "port_line.h"

namespace reader {
namespace {

void SetUpLikeComPort1(comport::TComPort &port) {
  port.SetBaudRate(comport::br9600);
  port.Parity().SetBits(comport::prEven);
  port.SetStopBits(comport::sbOneStopBit);
  port.SetDataBits(comport::dbEight);
  port.SetEvents({});
  comport::TComFlowControl &flow = port.FlowControl();
  flow.SetOutCTSFlow(false);
  flow.SetOutDSRFlow(false);
  flow.SetControlDTR(comport::dtrDisable);
  flow.SetControlRTS(comport::rtsDisable);
  flow.SetXonXoffOut(false);
  flow.SetXonXoffIn(false);
  port.Timeouts().SetReadTotalMultiplier(6);
  port.Timeouts().SetWriteTotalMultiplier(150);
}

} // namespace

struct ReaderPort::Parts {
  comport::TComPort port;
  PortLine line{port};
};

ReaderPort::ReaderPort(exchange::UART_THREAT &worker,
                       const std::string &port_name)
    : worker_(worker), parts_(std::make_unique<Parts>()) {
  SetUpLikeComPort1(parts_->port);
  parts_->port.SetPort(port_name);
  parts_->port.SetConnected(true);
  worker_.SetPort(&parts_->line);
}

ReaderPort::~ReaderPort() { worker_.SetPort(nullptr); }

} // namespace reader
