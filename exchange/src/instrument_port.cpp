#include "exchange/instrument_port.h"

#include "exchange/exchange_timing.h"

namespace exchange {

void AssignInstrumentLineSettings(comport::TCustomComPort& port) {
  port.SetBaudRate(comport::br9600);
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
  port.Timeouts().SetReadTotalMultiplier(READ_TIMEOUT_MS_PER_BYTE);
  port.Timeouts().SetWriteTotalMultiplier(WRITE_TIMEOUT_MS_PER_BYTE);
}

}  // namespace exchange
