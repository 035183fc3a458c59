#include "comport/com_settings.h"

#include "comport/com_port.h"

namespace comport {

template <typename T>
void TComSettings::Store(T& field, T value, void (TCustomComPort::*apply)()) {
  if (field == value) return;
  field = value;
  Reapply(apply);
}

void TComSettings::Reapply(void (TCustomComPort::*apply)()) {
  if (owner_port_ != nullptr) (owner_port_->*apply)();
}

namespace {
constexpr auto kLine = &TCustomComPort::ApplyLineSettings;
constexpr auto kTimeouts = &TCustomComPort::ApplyTimeoutSettings;
constexpr auto kQueues = &TCustomComPort::ApplyQueueSizes;
}  // namespace

void TComParity::CopyFrom(const runtime::TPersistent& source) {
  const auto& from = SourceAs<TComParity>(source);
  bits_ = from.bits_;
  check_ = from.check_;
  replace_ = from.replace_;
  replace_char_ = from.replace_char_;
}

void TComParity::SetBits(TParityBits value) { Store(bits_, value, kLine); }
void TComParity::SetCheck(bool value) { Store(check_, value, kLine); }
void TComParity::SetReplace(bool value) { Store(replace_, value, kLine); }
void TComParity::SetReplaceChar(char value) { Store(replace_char_, value, kLine); }

void TComFlowControl::CopyFrom(const runtime::TPersistent& source) {
  const auto& from = SourceAs<TComFlowControl>(source);
  out_cts_flow_ = from.out_cts_flow_;
  out_dsr_flow_ = from.out_dsr_flow_;
  control_dtr_ = from.control_dtr_;
  control_rts_ = from.control_rts_;
  xon_xoff_out_ = from.xon_xoff_out_;
  xon_xoff_in_ = from.xon_xoff_in_;
  dsr_sensitivity_ = from.dsr_sensitivity_;
  tx_continue_on_xoff_ = from.tx_continue_on_xoff_;
  xon_char_ = from.xon_char_;
  xoff_char_ = from.xoff_char_;
}

void TComFlowControl::SetOutCTSFlow(bool value) { Store(out_cts_flow_, value, kLine); }
void TComFlowControl::SetOutDSRFlow(bool value) { Store(out_dsr_flow_, value, kLine); }
void TComFlowControl::SetControlDTR(TDTRFlowControl value) { Store(control_dtr_, value, kLine); }
void TComFlowControl::SetControlRTS(TRTSFlowControl value) { Store(control_rts_, value, kLine); }
void TComFlowControl::SetXonXoffOut(bool value) { Store(xon_xoff_out_, value, kLine); }
void TComFlowControl::SetXonXoffIn(bool value) { Store(xon_xoff_in_, value, kLine); }
void TComFlowControl::SetDSRSensitivity(bool value) { Store(dsr_sensitivity_, value, kLine); }
void TComFlowControl::SetTxContinueOnXoff(bool value) { Store(tx_continue_on_xoff_, value, kLine); }
void TComFlowControl::SetXonChar(char value) { Store(xon_char_, value, kLine); }
void TComFlowControl::SetXoffChar(char value) { Store(xoff_char_, value, kLine); }

TFlowControl TComFlowControl::FlowControl() const {
  const bool xon_xoff_both = xon_xoff_in_ && xon_xoff_out_;
  const bool xon_xoff_none = !xon_xoff_in_ && !xon_xoff_out_;
  if (control_rts_ == rtsHandshake && out_cts_flow_ && xon_xoff_none) return fcHardware;
  if (control_rts_ == rtsDisable && !out_cts_flow_ && xon_xoff_both) return fcSoftware;
  if (control_rts_ == rtsDisable && !out_cts_flow_ && xon_xoff_none) return fcNone;
  return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl value) {
  if (value != fcCustom) {
    control_rts_ = value == fcHardware ? rtsHandshake : rtsDisable;
    out_cts_flow_ = value == fcHardware;
    xon_xoff_in_ = value == fcSoftware;
    xon_xoff_out_ = value == fcSoftware;
  }
  Reapply(kLine);
}

void TComTimeouts::CopyFrom(const runtime::TPersistent& source) {
  const auto& from = SourceAs<TComTimeouts>(source);
  read_interval_ = from.read_interval_;
  read_total_multiplier_ = from.read_total_multiplier_;
  read_total_constant_ = from.read_total_constant_;
  write_total_multiplier_ = from.write_total_multiplier_;
  write_total_constant_ = from.write_total_constant_;
}

void TComTimeouts::SetReadInterval(std::int32_t value) { Store(read_interval_, value, kTimeouts); }
void TComTimeouts::SetReadTotalMultiplier(std::int32_t value) {
  Store(read_total_multiplier_, value, kTimeouts);
}
void TComTimeouts::SetReadTotalConstant(std::int32_t value) {
  Store(read_total_constant_, value, kTimeouts);
}
void TComTimeouts::SetWriteTotalMultiplier(std::int32_t value) {
  Store(write_total_multiplier_, value, kTimeouts);
}
void TComTimeouts::SetWriteTotalConstant(std::int32_t value) {
  Store(write_total_constant_, value, kTimeouts);
}

void TComBuffer::CopyFrom(const runtime::TPersistent& source) {
  const auto& from = SourceAs<TComBuffer>(source);
  input_size_ = from.input_size_;
  output_size_ = from.output_size_;
}

void TComBuffer::SetInputSize(std::int32_t value) { SetSize(input_size_, value); }
void TComBuffer::SetOutputSize(std::int32_t value) { SetSize(output_size_, value); }

void TComBuffer::SetSize(std::int32_t& field, std::int32_t value) {
  if (field == value) return;
  // The driver takes even sizes; a positive odd size loses its last byte.
  field = value > 0 && value % 2 != 0 ? value - 1 : value;
  Reapply(kQueues);
}

}  // namespace comport
