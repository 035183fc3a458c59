// Setting the port's own properties.
#include "comport/com_port.h"
#include "platform_error.h"

namespace comport {

bool TCustomComPort::Applicable() const { return Connected() && !Loading() && !Designing(); }

template <typename T>
void TCustomComPort::StoreLineSetting(T& field, T value) {
  if (field == value) return;
  field = value;
  ApplyLineSettings();
}

void TCustomComPort::SetConnected(bool value) {
  if (Loading() || Designing()) {
    connected_.store(value, std::memory_order_release);
    if (Loading()) connect_after_load_ = value;
    return;
  }
  if (value == Connected()) return;
  if (value) {
    OpenPort();
  } else {
    ClosePort();
  }
}

void TCustomComPort::SetBaudRate(TBaudRate value) { StoreLineSetting(baud_rate_, value); }
void TCustomComPort::SetCustomBaudRate(std::int32_t value) {
  StoreLineSetting(custom_baud_rate_, value);
}
void TCustomComPort::SetStopBits(TStopBits value) { StoreLineSetting(stop_bits_, value); }
void TCustomComPort::SetDataBits(TDataBits value) { StoreLineSetting(data_bits_, value); }
void TCustomComPort::SetDiscardNull(bool value) { StoreLineSetting(discard_null_, value); }
void TCustomComPort::SetEventChar(char value) { StoreLineSetting(event_char_, value); }

void TCustomComPort::SetPort(const std::string& value) {
  if (value == port_) return;
  port_ = value;
  if (Applicable()) {
    ClosePort();
    OpenPort();
  }
}

void TCustomComPort::SetBuffer(const TComBuffer& value) {
  buffer_->CopyFrom(value);
  ApplyQueueSizes();
}

void TCustomComPort::SetParity(const TComParity& value) {
  parity_->CopyFrom(value);
  ApplyLineSettings();
}

void TCustomComPort::SetTimeouts(const TComTimeouts& value) {
  timeouts_->CopyFrom(value);
  ApplyTimeoutSettings();
}

void TCustomComPort::SetFlowControl(const TComFlowControl& value) {
  flow_control_->CopyFrom(value);
  ApplyLineSettings();
}

void TCustomComPort::SetSyncMethod(TSyncMethod value) {
  if (value == sync_method_) return;
  if (Applicable()) throw EComPort(kErrConnectedProperty);
  sync_method_ = value;
}

}  // namespace comport
