#include "reader/reader_port.h"

#include "comport/com_port.h"
#include "exchange/comport_line.h"
#include "exchange/instrument_port.h"
#include "reader/demo_line.h"

namespace reader {

struct ReaderPort::Parts {
  comport::TComPort port;
  exchange::ComPortLine line{port};
};

ReaderPort::ReaderPort(exchange::UART_THREAT& worker, const std::string& port_name)
    : worker_(worker), parts_(std::make_unique<Parts>()) {
  if (exchange::ExchangePort* demo = FindDemoLine(port_name)) {
    worker_.SetPort(demo);
    return;
  }
  exchange::AssignInstrumentLineSettings(parts_->port);
  parts_->port.SetPort(port_name);
  parts_->port.SetConnected(true);
  worker_.SetPort(&parts_->line);
}

ReaderPort::~ReaderPort() { worker_.SetPort(nullptr); }

}  // namespace reader
